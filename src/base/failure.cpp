#include "base/failure.hpp"

namespace kestrune {
namespace {

const char* words_of(FailureKind kind) {
  switch (kind) {
    case FailureKind::overflow:
      return "overflow";
    case FailureKind::out_of_budget:
      return "out of memory";
    case FailureKind::subscript:
      return "subscript out of range";
    case FailureKind::type_mismatch:
      return "type mismatch";
    case FailureKind::object_not_set:
      return "object variable not set";
    case FailureKind::object_required:
      return "object required";
    case FailureKind::invalid_call:
      break;
  }
  return "invalid procedure call";
}

}  // namespace

void fail(FailureKind kind, const std::string& detail) {
  std::string message = words_of(kind);
  if (!detail.empty()) message += ": " + detail;
  throw Failure(kind, message);
}

void fail(const std::string& message) { throw Failure(FailureKind::invalid_call, message); }

}  // namespace kestrune
