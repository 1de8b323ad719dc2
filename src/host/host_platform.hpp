// HostPlatform: what the host integration needs from the operating system, one set per thread.
//
// The hidden form's timer and the thread's message loop, the lookup of a running application,
// the component's registration record, the shell that opens a web address and the window of
// the About dialog all sit behind the small interfaces below. The Windows layer implements
// them with a hidden window and SetTimer, GetActiveObject, the registry, ShellExecute and a
// real dialog; the posix layer with a hand-pumped loop and no windows; tests with fakes.
//
// Each thread has its own platform: the one installed on it, else one made for it by the
// process-wide default factory on first use.
//
//   HostPlatform fakes;
//   fakes.running_objects = std::make_shared<FakeRunningObjects>();
//   install_host_platform(fakes);            // pieces left null come from the default
//   clsKestrune object;                       // the timer now runs on this thread's loop
//   host_platform().message_loop->pump();
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/automation_object.hpp"

namespace kestrune {

class frmAbout;

// A window as the platform knows it (HWND on Windows); 0 where there is no window.
using WindowHandle = std::uintptr_t;

// The thread's message loop with the one timer of the hidden form.
class MessageLoop {
 public:
  virtual ~MessageLoop() = default;
  // Starts the timer, or restarts it when it runs: the first tick comes one interval from
  // now. Ticks call on_tick on this thread, from the loop, between other calls. An interval of
  // zero or less stops the timer.
  virtual void start_timer(std::chrono::milliseconds interval, std::function<void()> on_tick) = 0;
  virtual void stop_timer() noexcept = 0;
  // Dispatches what is due now and returns at once; never waits.
  virtual void pump() = 0;
};

// The table of running applications.
class RunningObjects {
 public:
  // The number of the automation error "cannot create object", which the host's lookup gives
  // when no application of the class runs.
  static constexpr int kNoRunningObjectError = 429;

  virtual ~RunningObjects() = default;
  // The running application registered under class_name, or nullptr when none runs (error
  // kNoRunningObjectError). Never starts one. Raises a Failure when the lookup fails for any
  // other reason.
  virtual std::shared_ptr<const AutomationObject> find(std::u16string_view class_name) = 0;
};

// Where the component file lies.
class ComponentLocation {
 public:
  virtual ~ComponentLocation() = default;
  // The text of the registration record under `key` (Windows: the default value of that key
  // under HKEY_CLASSES_ROOT, the full path of the registered component file); nothing when
  // the record cannot be read.
  virtual std::optional<std::u16string> registration_record(std::u16string_view key) = 0;
  // The full path of the module this code was loaded from; empty when it cannot be told.
  virtual std::u16string loaded_module_path() = 0;
};

// How a window opened by the shell first shows.
enum class ShowCommand : int { maximized = 3 };

class Shell {
 public:
  virtual ~Shell() = default;
  // Asks the shell to apply `verb` to `target` (a file or web address), owned by `owner`.
  // Returns at once; whether it worked is not reported.
  virtual void open(WindowHandle owner, std::u16string_view verb, std::u16string_view target,
                    ShowCommand show) noexcept = 0;
};

// The on-screen window of the About dialog. Destroying it closes the window. The window shows
// the form's controls as they stand and hands the user's clicks to the form's event handlers;
// a handler may destroy the window, so after handing over an event the window touches
// nothing of its own.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  virtual void show_modeless() = 0;  // shows it and returns at once
  virtual void bring_forward() = 0;
  virtual WindowHandle handle() const = 0;
};

class DialogWindows {
 public:
  virtual ~DialogWindows() = default;
  // A window for `form`, not shown yet.
  virtual std::unique_ptr<DialogWindow> create(frmAbout& form) = 0;
};

struct HostPlatform {
  std::shared_ptr<MessageLoop> message_loop;
  std::shared_ptr<RunningObjects> running_objects;
  std::shared_ptr<ComponentLocation> component_location;
  std::shared_ptr<Shell> shell;
  std::shared_ptr<DialogWindows> dialogs;
};

// This thread's platform, every piece set.
HostPlatform& host_platform();

// Installs `platform` for this thread; pieces left null come from the default factory. Install
// before the thread creates its first clsKestrune: the forms ask the platform afresh at each
// use, so a timer started on an earlier platform stays with that one.
void install_host_platform(HostPlatform platform);

// The process-wide factory that makes each thread's default platform (the posix layer
// offers make_posix_host_platform). Install it before worker threads start; nullptr restores
// portable_host_platform.
using HostPlatformFactory = HostPlatform (*)();
void install_default_host_platform(HostPlatformFactory factory);

// The built-in default, made of portable pieces only: a message loop that runs only when
// pumped, no running applications, no readable record or module path, a shell that opens
// nothing and dialogs without a window.
HostPlatform portable_host_platform();

}  // namespace kestrune
