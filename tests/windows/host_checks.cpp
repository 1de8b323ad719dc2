// The host integration as it runs for real: the description run against the stand-in for the
// spreadsheet program running, the help file's path after registration, and the About dialog.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/utf8.hpp"
#include "checks.hpp"
#include "expected_descriptions.hpp"
#include "host/frm_about.hpp"
#include "platform/win32/about_dialog.hpp"
#include "platform/win32/this_module.hpp"
#include "scripted_object.hpp"

namespace kestrune::client {
namespace {

using namespace std::chrono_literals;

using test::kExpectedDescriptions;

// A file of this test, named after the program.
std::filesystem::path beside_program(std::u16string_view suffix) {
  return this_module_path() + std::u16string(suffix);
}

// The stand-in for the spreadsheet program (excel_stand_in.dll, registered as
// Excel.Application) in this process, its calls logged to a file of this test, with three
// add-ins in the user's add-ins folder and kestrune.xla installed; all of it gone with it.
class StandInHost {
 public:
  StandInHost() {
    SetEnvironmentVariableW(L"KESTRUNE_HOST_LOG", log_.c_str());
    CreateDirectoryW((environment(L"APPDATA") + L"\\Microsoft").c_str(), nullptr);
    CreateDirectoryW(add_ins_.c_str(), nullptr);
    for (const wchar_t* name : kAddIns) std::ofstream(std::filesystem::path(add_ins_ + name));
    set_registry_text(HKEY_CURRENT_USER, kOptionsKey, L"OPEN", L"kestrune.xla");
    CLSIDFromProgID(L"Excel.Application", &class_id_);
    CoCreateInstance(class_id_, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&application_));
  }
  ~StandInHost() {
    if (running_ != 0) RevokeActiveObject(running_, nullptr);
    for (const wchar_t* name : kAddIns) DeleteFileW((add_ins_ + name).c_str());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kOptionsKey, L"OPEN");
    DeleteFileW(log_.c_str());
  }
  StandInHost(const StandInHost&) = delete;
  StandInHost& operator=(const StandInHost&) = delete;

  bool created() const { return application_ != nullptr; }
  void run() {
    RegisterActiveObject(application_.Get(), class_id_, ACTIVEOBJECT_STRONG, &running_);
  }
  void clear_calls() { DeleteFileW(log_.c_str()); }
  std::vector<std::string> calls() const {
    std::ifstream log(log_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
  }

 private:
  static constexpr const wchar_t* kAddIns[] = {L"analysis.xla", L"kestrune.xla", L"solver.xla"};

  std::filesystem::path log_ = beside_program(u".host.log");
  std::wstring add_ins_ = library_folder();
  CLSID class_id_{};
  ComPtr<IDispatch> application_;
  DWORD running_ = 0;
};

std::string put(const std::string& setting, bool on) {
  return "Application." + setting + " = " + (on ? "True" : "False");
}

// A run has ended once repainting is switched back on.
bool run_ended(const StandInHost& host) {
  const std::vector<std::string> calls = host.calls();
  return !calls.empty() && calls.back() == put("ScreenUpdating", true);
}

// A run, waited for, as the host sees it through real automation calls: alerts and repainting
// off first, every add-in's name read, the first `described` descriptions sent in order, and
// alerts and repainting on again last.
void check_run(const StandInHost& host, std::size_t described, const std::string& label,
               Checks& checks) {
  checks.expect(pump_until([&] { return run_ended(host); }, 5s), label + ": a run ends");
  const std::vector<std::string> calls = host.calls();
  checks.expect(calls.size() >= 4 && calls[0] == put("DisplayAlerts", false) &&
                    calls[1] == put("ScreenUpdating", false) &&
                    calls[calls.size() - 2] == put("DisplayAlerts", true) &&
                    calls.back() == put("ScreenUpdating", true),
                label + ": alerts, then repainting switched off first and on last");
  checks.expect(std::count(calls.begin(), calls.end(), "AddIn.Name") == 3,
                label + ": every add-in's name is read");
  std::vector<std::string> sent;
  std::vector<std::string> expected;
  for (const std::string& call : calls) {
    if (call.starts_with("Application.MacroOptions ")) sent.push_back(call);
  }
  for (std::size_t row = 0; row < described; ++row) {
    const ScriptedCall call{u"MacroOptions", false, test::expected_macro_options(row)};
    expected.push_back(to_utf8(call_line(u"Application", call)));
  }
  checks.expect(sent == expected, label + ": the first " + std::to_string(described) +
                                      " descriptions in order, each as seven arguments (" +
                                      std::to_string(sent.size()) + " sent)");
}

// The real timer keeps looking for the running host until it registers, and each new object
// starts a run again; a refused call ends the run with the host restored.
void check_description_runs(Checks& checks) {
  StandInHost host;
  checks.expect(host.created(), "the stand-in for the host can be created");
  if (!host.created()) return;
  ComPtr<IDispatch> early = create_kestrune(checks);
  pump_for(1200ms);
  checks.expect(host.calls().empty(), "no calls while no host runs");
  host.run();
  check_run(host, kExpectedDescriptions.size(), "the timer keeps trying, finds the host late",
            checks);

  const std::u16string refused_macro = to_text(test::expected_macro_options(3)[0]);
  SetEnvironmentVariableW(L"KESTRUNE_REFUSED_MACRO",
                          reinterpret_cast<const wchar_t*>(refused_macro.c_str()));
  host.clear_calls();
  ComPtr<IDispatch> refused = create_kestrune(checks);
  check_run(host, 4, "a second object's run, the fourth description refused", checks);
  SetEnvironmentVariableW(L"KESTRUNE_REFUSED_MACRO", nullptr);
  host.clear_calls();
  pump_for(1200ms);
  checks.expect(host.calls().empty(), "the timer is off after the run");
}

// Where the "opened" mode keeps the address, beside the program.
std::filesystem::path opened_record_file() { return beside_program(u".opened.txt"); }

// While it lives, the shell opens https addresses with this program's "opened" mode, which
// writes the address into a file, instead of with a browser.
class LinkOpener {
 public:
  LinkOpener() {
    std::filesystem::remove(opened_record_file());
    set_registry_text(HKEY_CLASSES_ROOT, kCommandKey, nullptr,
                      L"\"" + beside_program(u"").wstring() + L"\" opened \"%1\"");
  }
  ~LinkOpener() {
    if (!previous_.empty()) set_registry_text(HKEY_CLASSES_ROOT, kCommandKey, nullptr, previous_);
    std::filesystem::remove(opened_record_file());
  }
  LinkOpener(const LinkOpener&) = delete;
  LinkOpener& operator=(const LinkOpener&) = delete;

  // The address the shell opened; empty until then.
  std::u16string opened() const {
    std::ifstream file(opened_record_file(), std::ios::binary);
    return from_utf8(std::string(std::istreambuf_iterator<char>(file), {}));
  }

 private:
  static constexpr const wchar_t* kCommandKey = L"https\\shell\\open\\command";

  const std::wstring previous_ = registry_text(HKEY_CLASSES_ROOT, kCommandKey, nullptr);
};

// The visible "About kestrune" windows (any owner's: the dialog is modeless).
std::vector<HWND> about_dialogs() {
  std::vector<HWND> found;
  for (HWND window = nullptr;
       (window = FindWindowExW(nullptr, window, nullptr, L"About kestrune"));)
    if (IsWindowVisible(window)) found.push_back(window);
  return found;
}

std::u16string control_text(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text_of(text);
}

// The dialog as a user meets it: one modeless window however often it is asked for, the
// maker's address under a pointing hand, the shell opening it, OK and the close box.
void check_about_dialog(IDispatch& object, Checks& checks) {
  namespace control = about_dialog_control;
  invoke(object, u"krABOUT", {});
  checks.expect_hresult(invoke(object, u"krABOUT", {}).result, S_OK, "krABOUT returns at once");
  pump_for(100ms);
  const std::vector<HWND> shown = about_dialogs();
  checks.expect(shown.size() == 1, "two krABOUT calls show one dialog");
  if (shown.size() != 1) return;
  const HWND dialog = shown[0];
  checks.expect(control_text(dialog, control::kHyperlink) == kMakerWebAddress &&
                    control_text(dialog, control::kOK) == u"OK",
                "the dialog shows the maker's web address and OK");
  checks.expect(invoke(object, u"krVERSION", {}).text() == u"1.0",
                "calls go on while the dialog is open");

  const HWND link = GetDlgItem(dialog, control::kHyperlink);
  SendMessageW(dialog, WM_SETCURSOR, WPARAM(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  ICONINFO cursor{};
  const bool read = GetIconInfo(GetCursor(), &cursor);
  checks.expect(read && !cursor.fIcon && cursor.xHotspot == 6 && cursor.yHotspot == 1,
                "the link shows the hand cursor, pointing with its finger tip (6, 1)");
  if (cursor.hbmMask != nullptr) DeleteObject(cursor.hbmMask);
  if (cursor.hbmColor != nullptr) DeleteObject(cursor.hbmColor);

  {
    LinkOpener opener;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(control::kHyperlink, STN_CLICKED), LPARAM(link));
    const bool opened = pump_until([&] { return !opener.opened().empty(); }, 10s);
    checks.expect(opened && opener.opened() == kMakerWebAddress && IsWindow(dialog),
                  "clicking the link has the shell open the maker's web address (got \"" +
                      to_utf8(opener.opened()) + "\") and leaves the dialog open");
  }

  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(control::kOK, BN_CLICKED),
               LPARAM(GetDlgItem(dialog, control::kOK)));
  pump_for(100ms);
  checks.expect(!IsWindow(dialog) && about_dialogs().empty(), "OK closes the dialog");
  invoke(object, u"krABOUT", {});
  pump_for(100ms);
  const std::vector<HWND> again = about_dialogs();
  if (again.size() == 1) SendMessageW(again[0], WM_CLOSE, 0, 0);
  pump_for(100ms);
  checks.expect(again.size() == 1 && about_dialogs().empty(),
                "krABOUT after OK shows it again, and the close box closes it");
}

}  // namespace

void record_opened(const std::u16string& address) {
  std::ofstream(opened_record_file(), std::ios::binary) << to_utf8(address);
}

void check_host_integration(const std::u16string& registered_folder, Checks& checks) {
  check_description_runs(checks);
  ComPtr<IDispatch> object = create_kestrune(checks);
  if (!object) return;
  const std::u16string help_file = registered_folder + u"\\kestrune.chm";
  const std::u16string path = invoke(*object.Get(), u"krHelpfilePath", {}).text();
  checks.expect_equal(to_utf8(path), to_utf8(help_file), "krHelpfilePath");
  check_about_dialog(*object.Get(), checks);
}

}  // namespace kestrune::client
