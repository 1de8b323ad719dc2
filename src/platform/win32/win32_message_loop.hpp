// The thread's message loop on Windows: a hidden message-only window whose SetTimer ticks
// arrive through the thread's own message loop (the host's), between its other messages.
//
//   auto loop = std::make_shared<Win32MessageLoop>();       // on the thread that owns it
//   loop->start_timer(500ms, [] { ... });                    // WM_TIMER calls it back
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

#include "host/host_platform.hpp"

namespace kestrune {

class Win32MessageLoop final : public MessageLoop {
 public:
  // Creates the hidden window on the calling thread. Without a window (the system refuses
  // one) the timer never ticks; everything else works.
  Win32MessageLoop();
  ~Win32MessageLoop() override;
  Win32MessageLoop(const Win32MessageLoop&) = delete;
  Win32MessageLoop& operator=(const Win32MessageLoop&) = delete;

  void start_timer(std::chrono::milliseconds interval, std::function<void()> on_tick) override;
  void stop_timer() noexcept override;
  // Dispatches the hidden window's waiting messages (a due tick among them); never waits.
  void pump() override;

  HWND window() const { return window_; }

 private:
  static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  void tick() noexcept;

  HWND window_ = nullptr;
  std::function<void()> on_tick_;
};

}  // namespace kestrune
