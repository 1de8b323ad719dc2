// The posix host platform: no spreadsheet host ever runs, the timer ticks only when the
// thread's loop is pumped, the component file is the loaded module itself, the web address
// opens with xdg-open, and the About dialog has no window (its form is the whole dialog).
//
//   install_default_host_platform(&make_posix_host_platform);   // at start-up
//   host_platform().message_loop->pump();                      // runs a due tick, if any
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/host_platform.hpp"

namespace kestrune {

// The record of a posix component is the path of the module it was loaded from (the shared
// library, or the program it is linked into).
class PosixComponentLocation final : public ComponentLocation {
 public:
  std::optional<std::u16string> registration_record(std::u16string_view key) override;
  std::u16string loaded_module_path() override;
};

// Opens addresses with xdg-open where it is installed, detached: the call neither waits for
// the browser nor fails.
class PosixShell final : public Shell {
 public:
  void open(WindowHandle owner, std::u16string_view verb, std::u16string_view target,
            ShowCommand show) noexcept override;
};

HostPlatform make_posix_host_platform();

}  // namespace kestrune
