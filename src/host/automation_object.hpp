// AutomationObject: an object of another program, reached by member name at run time.
//
// The host application is late-bound: the component carries no description of its object
// model, so every property and method is asked for by name, and the object matches the name
// without regard to case. Objects travel inside Variants (type object), so a property that
// returns an object returns a Variant holding another AutomationObject.
//
//   auto host = as_automation_object(value);
//   host->put(u"ScreenUpdating", Variant::boolean(false));
//   as_automation_object(host->get(u"AddIns"))->for_each([](const Variant& addin) { ... });
//   host->call(u"MacroOptions", {CallArgument::positional(Variant::text(u"'book.xla'!f"))});
//
// Every member raises a Failure when the other program refuses the call or has gone away.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "variant/variant.hpp"

namespace kestrune {

// One argument of a late-bound call: positional while `name` is empty, named otherwise.
// Positional arguments come first; an argument left out is Variant::missing().
struct CallArgument {
  std::u16string name;
  Variant value;

  static CallArgument positional(Variant value) { return {{}, std::move(value)}; }
  static CallArgument named(std::u16string name, Variant value) {
    return {std::move(name), std::move(value)};
  }
};

// The members are const because a Variant holds its objects as const: the handle never
// changes, the object behind it does.
class AutomationObject : public Object {
 public:
  // The member name that stands for the object's default member.
  static constexpr std::u16string_view kDefaultMember = u"";

  virtual Variant get(std::u16string_view member) const = 0;
  virtual void put(std::u16string_view member, const Variant& value) const = 0;
  virtual Variant call(std::u16string_view member,
                       std::span<const CallArgument> arguments) const = 0;
  Variant call(std::u16string_view member, std::initializer_list<CallArgument> arguments) const {
    return call(member, std::span<const CallArgument>(arguments.begin(), arguments.size()));
  }
  // Walks a collection from its first element to its last, as a For Each loop does.
  virtual void for_each(const std::function<void(const Variant&)>& visit) const = 0;

  // Read as a cell reference is read: through the default member.
  Variant Value() const override { return get(kDefaultMember); }
};

// The object a Variant holds; a Failure when it holds no AutomationObject (another kind of
// value, an object of another kind, or Nothing).
std::shared_ptr<const AutomationObject> as_automation_object(const Variant& value);

}  // namespace kestrune
