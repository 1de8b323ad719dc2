// The host integration as it runs for real: the description run against a stand-in for the
// running host, the help file's path after registration, and the About dialog.
#include "host_checks.hpp"

#include <string>

#include "base/utf8.hpp"
#include "excel_stand_in.hpp"
#include "expected_descriptions.hpp"
#include "host/frm_about.hpp"
#include "platform/win32/about_dialog.hpp"

namespace kestrune::client {
namespace {

using namespace std::chrono_literals;

using test::kExpectedDescriptions;

bool is_put(const HostCall& call, std::u16string_view member, bool value) {
  return call.member == member && (call.flags & DISPATCH_PROPERTYPUT) &&
         call.arguments == std::vector<Variant>{Variant::boolean(value)};
}

// A run has ended once repainting is switched back on.
bool run_ended(const ExcelStandIn& host) {
  return !host.calls().empty() && is_put(host.calls().back(), u"ScreenUpdating", true);
}

std::vector<HostCall> calls_named(const ExcelStandIn& host, std::u16string_view member) {
  std::vector<HostCall> found;
  for (const HostCall& call : host.calls()) {
    if (call.member == member) found.push_back(call);
  }
  return found;
}

// A run as the host sees it through real automation calls: alerts and repainting off first,
// every add-in's name read, the first `described` descriptions sent in order, and alerts and
// repainting on again last.
void check_run(const ExcelStandIn& host, std::size_t described, const std::string& label,
               Checks& checks) {
  const std::vector<HostCall>& calls = host.calls();
  checks.expect(calls.size() >= 4 && is_put(calls[0], u"DisplayAlerts", false) &&
                    is_put(calls[1], u"ScreenUpdating", false) &&
                    is_put(calls[calls.size() - 2], u"DisplayAlerts", true) &&
                    is_put(calls.back(), u"ScreenUpdating", true),
                label + ": alerts, then repainting switched off first and on last");
  checks.expect(calls_named(host, u"Name").size() == 3, label + ": every add-in's name is read");
  const std::vector<HostCall> sent = calls_named(host, u"MacroOptions");
  checks.expect(sent.size() == described, label + ": " + std::to_string(described) +
                                              " descriptions (got " + std::to_string(sent.size()) +
                                              ")");
  for (std::size_t row = 0; row < sent.size() && row < kExpectedDescriptions.size(); ++row) {
    checks.expect(sent[row].arguments == test::expected_macro_options(row),
                  label + ": description " + std::to_string(row + 1) + " as seven arguments");
  }
}

// The real timer keeps looking for the running host until it registers, and each new object
// starts a run again; a refused call ends the run with the host restored.
void check_description_runs(Checks& checks) {
  ExcelStandIn host({{u"ANALYS32.XLL", true}, {u"kestrune.xla", true}, {u"SOLVER.XLAM", false}});
  host.register_prog_id();
  ComPtr<IDispatch> early = create_kestrune(checks);
  pump_for(1200ms);
  checks.expect(host.calls().empty(), "no calls while no host runs");
  host.register_running();
  checks.expect(pump_until([&] { return run_ended(host); }, 5s),
                "the timer keeps trying and finds the host once it runs");
  check_run(host, kExpectedDescriptions.size(), "host found late", checks);

  host.refuse_macro_options_call(4);
  host.clear_calls();
  ComPtr<IDispatch> refused = create_kestrune(checks);
  checks.expect(pump_until([&] { return run_ended(host); }, 5s),
                "a second object starts another run");
  check_run(host, 4, "fourth description refused", checks);
  checks.expect(host.display_alerts() && host.screen_updating(),
                "alerts and repainting end up switched on");
  host.clear_calls();
  pump_for(1200ms);
  checks.expect(host.calls().empty(), "the timer is off after the run");
}

void check_help_file_path(IDispatch& object, const std::u16string& registered_folder,
                          Checks& checks) {
  const Invocation path = invoke(object, u"krHelpfilePath", {});
  const std::u16string expected = registered_folder + u"\\kestrune.chm";
  checks.expect(path.text() == expected,
                "krHelpfilePath gives " + utf8(expected) + " (got " + utf8(path.text()) + ")");
}

std::wstring opened_record_file() {
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  return std::wstring(program) + L".opened.txt";
}

// While it lives, the shell opens https addresses with this program's "opened" mode, which
// writes the address into a file, instead of with a browser.
class LinkOpener {
 public:
  LinkOpener() {
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    DeleteFileW(opened_record_file().c_str());
    DWORD size = sizeof previous_;
    had_previous_ = RegGetValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr,
                                 previous_, &size) == ERROR_SUCCESS;
    set_command(L"\"" + std::wstring(program) + L"\" opened \"%1\"");
  }
  ~LinkOpener() {
    if (had_previous_) set_command(previous_);
    DeleteFileW(opened_record_file().c_str());
  }
  LinkOpener(const LinkOpener&) = delete;
  LinkOpener& operator=(const LinkOpener&) = delete;

  // The address the shell opened; empty until then.
  std::u16string opened() const { return read_opened_record(); }

 private:
  static constexpr const wchar_t* kCommandKey = L"https\\shell\\open\\command";

  void set_command(const std::wstring& command) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, kCommandKey, nullptr, REG_SZ, command.c_str(),
                    DWORD((command.size() + 1) * sizeof(wchar_t)));
  }

  wchar_t previous_[1024] = {};
  bool had_previous_ = false;
};

BOOL CALLBACK collect_about_dialog(HWND window, LPARAM list) {
  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  if (IsWindowVisible(window) && lstrcmpW(caption, L"About kestrune") == 0) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

std::vector<HWND> about_dialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), &collect_about_dialog, reinterpret_cast<LPARAM>(&found));
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
                      utf8(opener.opened()) + "\") and leaves the dialog open");
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
  HANDLE file = CreateFileW(opened_record_file().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, address.data(), DWORD(address.size() * sizeof(char16_t)), &written, nullptr);
  CloseHandle(file);
}

std::u16string read_opened_record() {
  HANDLE file = CreateFileW(opened_record_file().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  char16_t buffer[512] = {};
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer - sizeof(char16_t), &read, nullptr);
  CloseHandle(file);
  return std::u16string(buffer, read / sizeof(char16_t));
}

void check_host_integration(const std::u16string& registered_folder, Checks& checks) {
  check_description_runs(checks);
  ComPtr<IDispatch> object = create_kestrune(checks);
  if (!object) return;
  check_help_file_path(*object.Get(), registered_folder, checks);
  check_about_dialog(*object.Get(), checks);
}

}  // namespace kestrune::client
