// xll_host: a stand-in for the worksheet host that loads kestrune.xll as the host does, run under
// Wine by scripts/test-windows.sh.
//
//   wine xll_host.exe C:\path\kestrune.xll member_calls.txt [more tables...]
//
// It answers the add-in's callbacks (its own path, xlFree, xlfRegister, xlfUnregister,
// xlfSetName) and prints "N passed, M failed"; run_addin says what it checks.
#include <windows.h>

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "automation/member_table.hpp"
#include "base/utf8.hpp"
#include "cli/call_parser.hpp"
#include "cli/output.hpp"
#include "client_support.hpp"
#include "xll/host_api.hpp"
#include "xll/xloper_values.hpp"

namespace kestrune::client {
namespace {

using xll::Xloper12;

constexpr std::size_t kMaxArity = 255;
constexpr int kThreads = 4;
constexpr int kThreadPasses = 10;
constexpr int kLeakPasses = 5;

// What the add-in registered, field by field as xlfRegister received it.
struct Registered {
  std::vector<std::u16string> texts;  // every text argument, in order (module path first)
  int argument_count = 0;
  double macro_type = 0;
  bool open = true;
  bool name_defined = true;
};

struct HostState {
  std::u16string module_path;
  std::vector<Registered> registered;  // index + 1 is the registration id
  int strings_given = 0;               // by xlGetName, to come back through xlFree
  int callbacks = 0;
};

HostState host;

int answer_get_name(Xloper12* result) {
  auto* counted = new xll::XChar[host.module_path.size() + 1];
  counted[0] = xll::XChar(host.module_path.size());
  std::copy(host.module_path.begin(), host.module_path.end(), counted + 1);
  result->val.str = counted;
  result->xltype = xll::kTypeStr | xll::kBitXLFree;
  ++host.strings_given;
  return xll::kXlRetSuccess;
}

int answer_register(int count, Xloper12** arguments, Xloper12* result) {
  Registered entry;
  entry.argument_count = count;
  for (int i = 0; i < count; ++i) {
    if (xll::base_type(*arguments[i]) == xll::kTypeStr)
      entry.texts.push_back(xll::from_xloper(*arguments[i]).text_value());
    if (i == 5 && xll::base_type(*arguments[i]) == xll::kTypeNum)
      entry.macro_type = arguments[i]->val.num;
  }
  host.registered.push_back(std::move(entry));
  *result = *xll::to_result(Variant::number(double(host.registered.size())));
  return xll::kXlRetSuccess;
}

Registered* registered_by_id(const Xloper12& id) {
  if (xll::base_type(id) != xll::kTypeNum) return nullptr;
  const std::size_t index = std::size_t(id.val.num);
  return index >= 1 && index <= host.registered.size() ? &host.registered[index - 1] : nullptr;
}

Registered* registered_by_name(const Variant& name) {
  for (Registered& entry : host.registered) {
    if (entry.texts.size() > 3 && name == Variant::text(entry.texts[3])) return &entry;
  }
  return nullptr;
}

}  // namespace
}  // namespace kestrune::client

using kestrune::client::host;

extern "C" __declspec(dllexport) int WINAPI
    MdCallBack12(int function, int count, kestrune::xll::Xloper12** arguments,
                 kestrune::xll::Xloper12* result) {
  namespace xll = kestrune::xll;
  using namespace kestrune::client;
  using kestrune::Variant;
  ++host.callbacks;
  *result = xll::Xloper12{};
  switch (function) {
    case xll::kXlGetName:
      return answer_get_name(result);
    case xll::kXlFree:
      for (int i = 0; i < count; ++i) {
        if ((arguments[i]->xltype & xll::kBitXLFree) == 0) continue;
        delete[] arguments[i]->val.str;
        --host.strings_given;
      }
      return xll::kXlRetSuccess;
    case xll::kXlfRegister:
      return answer_register(count, arguments, result);
    case xll::kXlfUnregister:
      if (Registered* entry = count == 1 ? registered_by_id(*arguments[0]) : nullptr)
        entry->open = false;
      *result = *xll::to_result(Variant::boolean(true));
      return xll::kXlRetSuccess;
    case xll::kXlfSetName:
      if (Registered* entry =
              count == 1 ? registered_by_name(xll::from_xloper(*arguments[0])) : nullptr)
        entry->name_defined = false;
      *result = *xll::to_result(Variant::boolean(true));
      return xll::kXlRetSuccess;
    default:
      return 32;  // failed: nothing else is offered
  }
}

namespace kestrune::client {
namespace {

// --- Calling a procedure with as many arguments as it registered ----------------------------

template <std::size_t>
using Pointer = Xloper12*;

template <std::size_t... index>
Xloper12* call_with(FARPROC procedure, Xloper12* const* arguments, std::index_sequence<index...>) {
  using Exact = Xloper12*(WINAPI*)(Pointer<index>...);
  return reinterpret_cast<Exact>(reinterpret_cast<void*>(procedure))(arguments[index]...);
}

template <std::size_t... arity>
constexpr auto make_callers(std::index_sequence<arity...>) {
  using Caller = Xloper12* (*)(FARPROC, Xloper12* const*);
  return std::array<Caller, sizeof...(arity)>{[](FARPROC procedure, Xloper12* const* arguments) {
    return call_with(procedure, arguments, std::make_index_sequence<arity>());
  }...};
}

constexpr auto kCallers = make_callers(std::make_index_sequence<kMaxArity + 1>());

// --- The host's side of the values ------------------------------------------------------------

// Whether the host can pass `value`: not a null, an error code without a worksheet name or an
// array not shaped as a range.
bool expressible(const Variant& value) {
  if (value.is_object()) return expressible(value.object_value()->Value());
  if (value.is_error())
    return value.is_missing() || !cli::worksheet_error_name(value.error_code()).empty();
  if (!value.is_array()) return !value.is_null();
  const Array& array = value.array_value();
  return array.dimensions() == 2 && array.bounds()[0].lower == 1 &&
         std::ranges::all_of(array.elements(), expressible);
}

// Arguments as the host passes them: a reference's value, a range as xltypeMulti, an omitted
// argument as xltypeMissing. A host's values take the same XLOPER12 forms as the add-in's
// results, so the add-in's conversion builds them.
class Arguments {
 public:
  explicit Arguments(std::span<const Variant> values) {
    for (const Variant& value : values) {
      Xloper12& built = values_.emplace_back(*xll::to_result(value));
      if (value.is_missing()) built.xltype = xll::kTypeMissing;
      if (built.xltype == xll::kTypeStr) {  // in this thread's result slot: a copy of its own
        built.val.str = texts_.emplace_back(built.val.str, built.val.str[0] + 1).data();
      }
    }
  }
  Arguments(const Arguments&) = delete;
  ~Arguments() {
    for (Xloper12& value : values_) xll::free_result(value);
  }
  // One pointer for each of `arity` arguments, the ones not given omitted.
  std::vector<Xloper12*> pointers(std::size_t arity) {
    Xloper12 omitted{};
    omitted.xltype = xll::kTypeMissing;
    values_.resize(std::max(arity, values_.size()), omitted);
    std::vector<Xloper12*> all;
    for (Xloper12& value : values_) all.push_back(&value);
    return all;
  }

 private:
  std::vector<Xloper12> values_;
  std::deque<std::wstring> texts_;
};

// The table's answer in the form an XLOPER12 gives it: a number without a worksheet form is
// #NUM!, a one-dimensional array a row. Empty when the answer needs no change.
std::string xloper_form(const std::string& expected) {
  if (expected.rfind(R"({"number":)", 0) == 0) return R"({"error":"#NUM!"})";
  const std::string one_dimension = R"(],"lbound":[1]})";
  if (expected.rfind(R"({"array":[)", 0) == 0 && expected.ends_with(one_dimension)) {
    return R"({"array":[[)" + expected.substr(10, expected.size() - 10 - one_dimension.size()) +
           R"(]],"lbound":[1,1]})";
  }
  return {};
}

// --- The add-in --------------------------------------------------------------------------------

struct Function {
  FARPROC procedure = nullptr;
  std::size_t arity = 0;
};

struct AddIn {
  HMODULE module = nullptr;
  std::map<std::string, Function> functions;  // by the name users type
  void(WINAPI* free_result)(Xloper12*) = nullptr;

  // The answer as the command line writes it; a heap result goes back to the add-in.
  std::string call(const Function& function, std::span<const Variant> values) {
    Arguments arguments(values);
    const std::vector<Xloper12*> pointers = arguments.pointers(function.arity);
    Xloper12* result = kCallers[function.arity](function.procedure, pointers.data());
    if (result == nullptr) return "no result";
    const std::string answer = cli::format_json(xll::from_xloper(*result));
    if ((result->xltype & xll::kBitDLLFree) != 0) free_result(result);
    return answer;
  }
};

// One case of a table as the stand-in runs it.
struct HostCase {
  std::string where;
  const Function* function = nullptr;
  std::vector<Variant> arguments;
  std::string expected;
};

std::vector<HostCase> host_cases(const AddIn& addin, const std::string& path, Checks& checks) {
  std::vector<HostCase> cases;
  for (TableCase& c : table_cases(path, checks)) {
    cli::ParsedCall& call = c.call;
    const MemberInfo* member = find_member(call.name);
    const auto function =
        member ? addin.functions.find(std::string(member->name)) : addin.functions.end();
    // Not a worksheet function, or not a call the host can make.
    if (function == addin.functions.end() || !std::ranges::all_of(call.arguments, expressible))
      continue;
    std::string expected = xloper_form(c.expected_json);
    if (expected.empty()) expected = c.expected_json;
    cases.push_back({c.where, &function->second, std::move(call.arguments), std::move(expected)});
  }
  return cases;
}

// Results at the text limits: texts that fit the add-in's per-thread slot, those that need a
// heap block, and one past the host's limit, each made by doubling every letter of a text.
void check_text_limits(AddIn& addin, Checks& checks) {
  struct Row {
    std::size_t letters;  // doubled into the result
    bool answered;        // false: #VALUE!
  };
  constexpr Row kRows[] = {{127, true}, {128, true}, {16383, true}, {16384, false}};
  const auto regex = addin.functions.find("krREGEX");
  if (regex == addin.functions.end()) return;
  for (const Row& row : kRows) {
    const Variant arguments[] = {Variant::text(std::u16string(row.letters, u'a')),
                                 Variant::text(u"a"), Variant::missing(), Variant::text(u"$&$&"),
                                 Variant::number(-1)};
    const std::string expected =
        row.answered ? cli::format_json(Variant::text(std::u16string(2 * row.letters, u'a')))
                     : R"({"error":"#VALUE!"})";
    checks.expect(addin.call(regex->second, arguments) == expected,
                  "a result of " + std::to_string(2 * row.letters) + " units");
  }
}

// --- Checks -----------------------------------------------------------------------------------

// A registration as one line: every text but the procedure's name (module, type, function,
// argument names, category, shortcut, topic, description, one help per argument), then the
// argument count and macro type.
std::string registration_line(const std::vector<std::u16string>& texts, int argument_count,
                              double macro_type) {
  std::u16string line;
  for (std::size_t i = 0; i < texts.size(); ++i) line += i == 1 ? u"" : texts[i] + u" | ";
  return to_utf8(line) + std::to_string(argument_count) + " arguments, macro type " +
         std::to_string(int(macro_type));
}

// Each worksheet function of the member table registered once, every field as the table says:
// thread-safe XLOPER12s ("Q" for the result and each argument, "$"), its own name, and a help
// text per argument (the list's for each of a list member's arguments), each within 255 units.
void check_registrations(AddIn& addin, Checks& checks) {
  std::size_t expected_functions = 0;
  for (const MemberInfo& member : members()) {
    const Registered* entry = registered_by_name(Variant::text(from_utf8(member.name)));
    const std::string what = "registration of " + std::string(member.name);
    checks.expect((entry != nullptr) == member.worksheet_function,
                  what + (member.worksheet_function ? ": missing" : ": not a worksheet function"));
    if (entry == nullptr || !member.worksheet_function) continue;
    ++expected_functions;
    const std::size_t arity = entry->texts.size() > 2 ? entry->texts[2].size() - 2 : 0;
    const std::size_t wanted =
        member.gathers_list() ? std::max<std::size_t>(arity, 2) : member.parameters.size();
    std::u16string names;
    for (const ParameterInfo& parameter : member.parameters)
      names += (names.empty() ? u"" : u",") + from_utf8(parameter.name);
    std::vector<std::u16string> texts = {host.module_path,
                                         u"",
                                         std::u16string(wanted + 1, u'Q') + u"$",
                                         from_utf8(member.name),
                                         names,
                                         u"kestrune",
                                         u"",
                                         u"",
                                         from_utf8(member.one_line_description())};
    for (std::size_t i = 0; i < wanted; ++i)
      texts.push_back(from_utf8(member.parameters[std::min(i, member.parameters.size() - 1)].help));
    const std::string got =
        registration_line(entry->texts, entry->argument_count, entry->macro_type);
    const std::string expected = registration_line(texts, int(10 + wanted), 1);
    checks.expect(got == expected, what + ": " + got + "; expected " + expected);
    bool within_limits = true;
    for (std::size_t i = 1; i < entry->texts.size(); ++i)
      within_limits &= entry->texts[i].size() <= 255;
    checks.expect(within_limits, what + ": every text within 255 units");
    const std::string procedure_name = entry->texts.size() > 1 ? to_utf8(entry->texts[1]) : "";
    const FARPROC procedure = GetProcAddress(addin.module, procedure_name.c_str());
    checks.expect(procedure != nullptr, what + ": the procedure is exported");
    if (procedure != nullptr) addin.functions[std::string(member.name)] = {procedure, arity};
  }
  checks.expect(host.registered.size() == expected_functions,
                std::to_string(host.registered.size()) + " registrations for " +
                    std::to_string(expected_functions) + " worksheet functions");
}

// The bytes of every busy block of every heap of the process.
SIZE_T busy_heap_bytes() {
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
  heaps.resize(GetProcessHeaps(DWORD(heaps.size()), heaps.data()));
  SIZE_T busy = 0;
  for (HANDLE heap : heaps) {
    PROCESS_HEAP_ENTRY entry{};
    HeapLock(heap);
    while (HeapWalk(heap, &entry)) {
      if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) busy += entry.cbData;
    }
    HeapUnlock(heap);
  }
  return busy;
}

// Runs `work`; afterwards the heaps must hold what they held before it.
void expect_heap_back(const std::string& what, const std::function<void()>& work, Checks& checks) {
  const SIZE_T before = busy_heap_bytes();
  work();
  const SIZE_T after = busy_heap_bytes();
  checks.expect(after == before, what + ": heap " + std::to_string(before) + " -> " +
                                     std::to_string(after) + " bytes");
}

// Passes over the cases, on a thread of its own or not.
struct Passes {
  AddIn* addin;
  const std::vector<HostCase>* cases;
  int count;
  long wrong = 0;
  std::string first_wrong;
};

DWORD WINAPI run_passes(void* parameter) {
  auto& work = *static_cast<Passes*>(parameter);
  for (int pass = 0; pass < work.count; ++pass) {
    for (const HostCase& c : *work.cases) {
      const std::string got = work.addin->call(*c.function, c.arguments);
      if (got == c.expected) continue;
      if (work.wrong++ == 0) work.first_wrong = c.where + " gave " + got;
    }
  }
  return 0;
}

void check_threads(AddIn& addin, const std::vector<HostCase>& cases, Checks& checks) {
  std::vector<Passes> work(kThreads, Passes{&addin, &cases, kThreadPasses, 0, {}});
  std::vector<HANDLE> threads;
  const int callbacks = host.callbacks;
  for (Passes& each : work)
    threads.push_back(CreateThread(nullptr, 0, run_passes, &each, 0, nullptr));
  WaitForMultipleObjects(DWORD(threads.size()), threads.data(), TRUE, INFINITE);
  for (HANDLE thread : threads) CloseHandle(thread);
  for (int i = 0; i < kThreads; ++i) {
    checks.expect(work[i].wrong == 0, "thread " + std::to_string(i + 1) + ": " +
                                          std::to_string(work[i].wrong) + " wrong answers of " +
                                          std::to_string(kThreadPasses * cases.size()) + " " +
                                          work[i].first_wrong);
  }
  checks.expect(host.callbacks == callbacks, "no callback during the calls");
}

// An entry point of the add-in, typed.
template <class Entry>
Entry entry_point(HMODULE module, const char* name) {
  return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loads the add-in, runs every check, closes and unloads it.
void run_addin(const wchar_t* path, std::span<wchar_t* const> tables, Checks& checks) {
  AddIn addin;
  addin.module = LoadLibraryW(path);
  checks.expect(addin.module != nullptr, "the add-in loads");
  if (addin.module == nullptr) return;
  const auto open = entry_point<int(WINAPI*)()>(addin.module, "xlAutoOpen");
  const auto close = entry_point<int(WINAPI*)()>(addin.module, "xlAutoClose");
  const auto info =
      entry_point<Xloper12*(WINAPI*)(Xloper12*)>(addin.module, "xlAddInManagerInfo12");
  addin.free_result = entry_point<void(WINAPI*)(Xloper12*)>(addin.module, "xlAutoFree12");
  checks.expect(open && close && info && addin.free_result,
                "the add-in exports its four entry points");
  if (!open || !close || !info || !addin.free_result) return;

  checks.expect(open() == 1, "xlAutoOpen");
  checks.expect(host.strings_given == 0, "the add-in's path went back through xlFree");
  check_registrations(addin, checks);
  Xloper12 name_asked = *xll::to_result(Variant::number(1));
  checks.expect(cli::format_json(xll::from_xloper(*info(&name_asked))) == "\"kestrune\"",
                "the add-in's name");

  std::vector<HostCase> cases;
  for (const wchar_t* table_path : tables) {
    for (HostCase& c : host_cases(addin, to_utf8(text_of(table_path)), checks)) {
      const std::string got = addin.call(*c.function, c.arguments);
      checks.expect(got == c.expected, c.where + " gave " + got + ", expected " + c.expected);
      cases.push_back(std::move(c));
    }
  }
  check_text_limits(addin, checks);
  check_threads(addin, cases, checks);
  // One pass first: the checks above leave their own patterns in the caches, which a pass over
  // more patterns than the caches hold replaces once.
  Passes settle{&addin, &cases, 1, 0, {}}, more{&addin, &cases, kLeakPasses, 0, {}};
  run_passes(&settle);
  expect_heap_back(
      std::to_string(kLeakPasses) + " more passes", [&] { run_passes(&more); }, checks);

  checks.expect(close() == 1, "xlAutoClose");
  bool all_removed = true;
  for (const Registered& entry : host.registered) all_removed &= !entry.open && !entry.name_defined;
  checks.expect(all_removed, "xlAutoClose unregistered every function and removed its name");
  checks.expect(FreeLibrary(addin.module) != FALSE, "the add-in unloads");
}

}  // namespace
}  // namespace kestrune::client

int wmain(int argc, wchar_t** argv) {
  using namespace kestrune::client;
  Checks checks;
  if (argc < 3) {
    std::fprintf(stderr, "usage: xll_host PATH.xll TABLE...\n");
    return 2;
  }
  host.module_path = reinterpret_cast<const char16_t*>(argv[1]);
  const std::span<wchar_t* const> tables(argv + 2, argv + argc);
  // The first round also makes what the stand-in itself keeps; the second must leave the
  // process's heaps as it found them, the add-in unloaded and its threads gone.
  const auto run = [&] {
    run_addin(argv[1], tables, checks);
    host.registered = {};
  };
  run();
  expect_heap_back("loaded, run and unloaded again", run, checks);
  return checks.report();
}
