// The Windows host platform: the hidden window's timer, the running host found through the
// running object table and called by name through IDispatch, the registration record read
// with RegOpenKeyA/RegQueryValueA, ShellExecuteA, and the About dialog as a real dialog.
//
//   install_default_host_platform(&make_win32_host_platform);   // once, at start-up
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/host_platform.hpp"

namespace kestrune {

// The running application registered under a ProgID (GetActiveObject); none when the class is
// not registered or no such application runs, as the host's own lookup answers (error 429).
class Win32RunningObjects final : public RunningObjects {
 public:
  std::shared_ptr<const AutomationObject> find(std::u16string_view class_name) override;
};

class Win32ComponentLocation final : public ComponentLocation {
 public:
  // The default value of HKEY_CLASSES_ROOT\key, read into a buffer of 1000 characters.
  std::optional<std::u16string> registration_record(std::u16string_view key) override;
  std::u16string loaded_module_path() override;
};

class Win32Shell final : public Shell {
 public:
  void open(WindowHandle owner, std::u16string_view verb, std::u16string_view target,
            ShowCommand show) noexcept override;
};

// Each thread's platform; its message loop's window belongs to the thread that asks first.
HostPlatform make_win32_host_platform();

}  // namespace kestrune
