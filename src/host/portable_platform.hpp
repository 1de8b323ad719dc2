// The platform pieces that need no operating system, shared by the built-in default and the
// posix layer.
//
//   HostPlatform platform = portable_host_platform();
//   platform.running_objects = std::make_shared<NoRunningObjects>();
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/host_platform.hpp"

namespace kestrune {

// No application ever runs: every lookup answers none (error 429).
class NoRunningObjects final : public RunningObjects {
 public:
  std::shared_ptr<const AutomationObject> find(std::u16string_view class_name) override;
};

// Knows neither a record nor the module.
class UnknownComponentLocation final : public ComponentLocation {
 public:
  std::optional<std::u16string> registration_record(std::u16string_view key) override;
  std::u16string loaded_module_path() override;
};

// Opens nothing.
class SilentShell final : public Shell {
 public:
  void open(WindowHandle owner, std::u16string_view verb, std::u16string_view target,
            ShowCommand show) noexcept override;
};

// Dialogs without a window: the form alone holds the dialog's state.
class WindowlessDialogs final : public DialogWindows {
 public:
  std::unique_ptr<DialogWindow> create(frmAbout& form) override;
};

}  // namespace kestrune
