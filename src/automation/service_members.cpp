// The service members that belong to the class itself: the version and the greeting.
#include "automation/cls_kestrune.hpp"
#include "automation/mdl_constants.hpp"

namespace kestrune {

std::u16string clsKestrune::krVERSION() { return std::u16string(mdl_Constants::version); }

std::u16string clsKestrune::krTEST() {
  return u"Welcome to kestrune " + std::u16string(mdl_Constants::version) + u"!";
}

}  // namespace kestrune
