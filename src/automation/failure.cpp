#include "automation/failure.hpp"

namespace kestrune {

void fail(const std::string& message) { throw Failure(message); }

}  // namespace kestrune
