#include "xll/worksheet_functions.hpp"

#include <algorithm>
#include <utility>

#include "base/utf8.hpp"
#include "platform/win32/win32_locale.hpp"
#include "xll/xloper_values.hpp"

namespace kestrune::xll {
namespace {

// What a host call answers when the host offers no callback at all.
constexpr int kXlRetFailed = 32;
// xlfRegister's macro type of a worksheet function.
constexpr double kWorksheetFunction = 1;

// The host recalculates on many threads at once: each gets an object of its own, made on its
// first call, so no call waits for another.
clsKestrune& thread_object() {
  thread_local clsKestrune object;
  return object;
}

// The arguments of a list function as the automation path gathers them: one array from 0,
// without the trailing ones the call left out.
void gather(std::span<Xloper12* const> arguments, std::vector<Variant>& values) {
  std::size_t given = arguments.size();
  while (given > 0 && base_type(*arguments[given - 1]) == kTypeMissing) --given;
  Array list = Array::one_dimensional(given, 0);
  for (std::size_t i = 0; i < given; ++i) list.elements()[i] = from_xloper(*arguments[i]);
  values.push_back(Variant::array(std::move(list)));
}

int call_host(int function, std::span<Xloper12*> arguments, Xloper12* result) {
  static const auto callback = reinterpret_cast<HostCallback>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), kCallbackName)));
  if (callback == nullptr) return kXlRetFailed;
  return callback(function, int(arguments.size()), arguments.data(), result);
}

// Texts for the host, counted: unit 0 holds the length. The vector must not grow once values()
// has pointed into it.
class CountedTexts {
 public:
  void add(std::u16string_view text) {
    std::u16string counted(1, char16_t(text.size()));
    counted += text;
    texts_.push_back(std::move(counted));
  }
  Xloper12 value(std::size_t index) {
    Xloper12 value{};
    value.val.str = reinterpret_cast<XChar*>(texts_[index].data());
    value.xltype = kTypeStr;
    return value;
  }
  std::size_t size() const { return texts_.size(); }

 private:
  std::vector<std::u16string> texts_;
};

Xloper12 number(double value) {
  Xloper12 result{};
  result.val.num = value;
  result.xltype = kTypeNum;
  return result;
}

// Calls the host with values that stay put while it reads them.
int call_host(int function, std::vector<Xloper12>& values, Xloper12* result) {
  std::vector<Xloper12*> pointers;
  for (Xloper12& value : values) pointers.push_back(&value);
  return call_host(function, pointers, result);
}

struct Registered {
  double id;
  std::u16string name;
};

// What xlAutoOpen registered, for xlAutoClose; both run on the host's main thread.
std::vector<Registered> registered_functions;

bool is_exported(const Registration& registration, std::span<const Procedure> exported) {
  const std::size_t arity = registration.argument_help.size();
  return std::any_of(exported.begin(), exported.end(), [&](const Procedure& procedure) {
    return from_utf8(procedure.name) == registration.procedure && procedure.arity == arity;
  });
}

void register_one(const Xloper12& module, const Registration& registration) {
  CountedTexts texts;
  for (std::u16string_view text :
       {std::u16string_view(registration.procedure), std::u16string_view(registration.type_text),
        std::u16string_view(registration.function_text),
        std::u16string_view(registration.argument_text), kCategory, std::u16string_view(),
        std::u16string_view(), std::u16string_view(registration.function_help)}) {
    texts.add(text);
  }
  for (const std::u16string& help : registration.argument_help) texts.add(help);
  // module, procedure, type, function, arguments, macro type, category, shortcut, help topic,
  // function help, argument help...
  std::vector<Xloper12> values{module,         texts.value(0), texts.value(1),
                               texts.value(2), texts.value(3), number(kWorksheetFunction)};
  for (std::size_t i = 4; i < texts.size(); ++i) values.push_back(texts.value(i));
  Xloper12 id{};
  if (call_host(kXlfRegister, values, &id) == kXlRetSuccess && base_type(id) == kTypeNum) {
    registered_functions.push_back({id.val.num, registration.function_text});
  }
}

std::u16string joined_names(const MemberInfo& member) {
  std::u16string names;
  for (const ParameterInfo& parameter : member.parameters) {
    if (!names.empty()) names += u',';
    names += from_utf8(parameter.name);
  }
  return names;
}

}  // namespace

std::size_t procedure_arity(const MemberInfo& member) {
  return member.gathers_list() ? kListArguments : member.parameters.size();
}

Xloper12* call_worksheet_function(const MemberInfo* member,
                                  std::span<Xloper12* const> arguments) noexcept {
  try {
    if (member == nullptr) return to_result(Variant::error(worksheet_error::kValue));
    thread_local std::vector<Variant> values;
    values.clear();
    if (member->gathers_list()) {
      gather(arguments, values);
    } else {
      for (const Xloper12* argument : arguments) values.push_back(from_xloper(*argument));
    }
    const Variant answer = member->invoke(thread_object(), values);
    values.clear();  // keeps its room for the next call, not a cell's text
    return to_result(answer);
  } catch (...) {
    return to_result(Variant::error(worksheet_error::kValue));
  }
}

std::vector<Registration> registrations() {
  std::vector<Registration> all;
  for (const MemberInfo& member : members()) {
    if (!member.worksheet_function) continue;
    const std::size_t arity = procedure_arity(member);
    Registration registration{
        from_utf8(member.name), u"Q" + std::u16string(arity, u'Q') + u"$", from_utf8(member.name),
        joined_names(member),   from_utf8(member.one_line_description()),  {}};
    for (std::size_t i = 0; i < arity; ++i) {
      const std::size_t parameter = std::min(i, member.parameters.size() - 1);
      registration.argument_help.push_back(from_utf8(member.parameters[parameter].help));
    }
    all.push_back(std::move(registration));
  }
  return all;
}

void register_functions(std::span<const Procedure> exported) {
  // Before the host's recalculation threads call anything: the locale is read, not locked.
  install_user_locale(std::make_shared<Win32Locale>());
  Xloper12 module{};
  std::vector<Xloper12*> none;
  if (call_host(kXlGetName, none, &module) != kXlRetSuccess) return;
  for (const Registration& registration : registrations()) {
    if (is_exported(registration, exported)) register_one(module, registration);
  }
  Xloper12* given_back[] = {&module};
  Xloper12 ignored{};
  call_host(kXlFree, given_back, &ignored);
}

void unregister_functions() {
  for (const Registered& function : registered_functions) {
    std::vector<Xloper12> id{number(function.id)};
    Xloper12 ignored{};
    call_host(kXlfUnregister, id, &ignored);
    // Registering defined a hidden name; naming it alone removes it.
    CountedTexts name;
    name.add(function.name);
    std::vector<Xloper12> named{name.value(0)};
    call_host(kXlfSetName, named, &ignored);
  }
  registered_functions.clear();
}

}  // namespace kestrune::xll
