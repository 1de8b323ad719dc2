// Small helpers the test programs share: building Variants tersely, calling a member by name,
// and a scoped decimal separator.
#pragma once

#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "automation/member_table.hpp"
#include "variant/locale.hpp"
#include "variant/variant.hpp"

namespace kestrune::test {

inline Variant text(std::u16string_view value) { return Variant::text(std::u16string(value)); }
inline Variant number(double value) { return Variant::number(value); }
inline Variant missing() { return Variant::missing(); }
inline Variant cell(Variant value) {
  return Variant::object(std::make_shared<ValueObject>(std::move(value)));
}

// The answers the tables expect most: the members' default not-found text and the host's #N/A.
inline const Variant kValueError = Variant::text(u"#VALUE!");
inline const Variant kNA = Variant::error(worksheet_error::kNA);

// A one-row range of texts: a 1 x n array indexed from 1.
inline Variant row(std::initializer_list<std::u16string> texts) {
  Array array = Array::two_dimensional(1, texts.size());
  std::size_t i = 0;
  for (const auto& t : texts) array.elements()[i++] = Variant::text(t);
  return Variant::array(std::move(array));
}

// Calls a member by name through the member table, as the automation server and the command
// line do: `arguments` first, missing arguments after them. On return `arguments` holds one
// Variant per parameter, with the defaults the member wrote back into them.
//
//   std::vector<Variant> args = {text(u"a b"), number(2)};
//   call_with(object, "krGETWORD", args);   // "b"; args[2] is now the default separator
inline Variant call_with(clsKestrune& object, std::string_view member,
                         std::vector<Variant>& arguments) {
  const MemberInfo* info = find_member(member);
  if (info == nullptr || arguments.size() > info->parameters.size()) {
    throw std::invalid_argument("no such member or too many arguments: " + std::string(member));
  }
  arguments.resize(info->parameters.size(), Variant::missing());
  return info->invoke(object, arguments);
}

inline Variant call(clsKestrune& object, std::string_view member,
                    std::initializer_list<Variant> arguments) {
  std::vector<Variant> given(arguments);
  return call_with(object, member, given);
}

// Installs a fixed decimal separator for the life of the object.
class ScopedDecimalSeparator {
 public:
  explicit ScopedDecimalSeparator(std::u16string separator) {
    install_user_locale(std::make_shared<FixedLocale>(std::move(separator)));
  }
  ~ScopedDecimalSeparator() { install_user_locale(nullptr); }
  ScopedDecimalSeparator(const ScopedDecimalSeparator&) = delete;
  ScopedDecimalSeparator& operator=(const ScopedDecimalSeparator&) = delete;
};

}  // namespace kestrune::test
