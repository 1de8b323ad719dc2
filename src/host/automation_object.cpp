#include "host/automation_object.hpp"

#include "base/failure.hpp"

namespace kestrune {

std::shared_ptr<const AutomationObject> as_automation_object(const Variant& value) {
  if (!value.is_object()) fail(FailureKind::object_required);
  auto object = std::dynamic_pointer_cast<const AutomationObject>(value.object_value());
  if (!object) fail(FailureKind::object_required);
  return object;
}

}  // namespace kestrune
