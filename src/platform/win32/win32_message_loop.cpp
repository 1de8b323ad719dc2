#include "platform/win32/win32_message_loop.hpp"

#include <algorithm>

#include "platform/win32/this_module.hpp"

namespace kestrune {
namespace {

constexpr const wchar_t* kWindowClass = L"kestrune.frmGraphics";
constexpr const wchar_t* kWindowName = L"frmGraphics";
constexpr UINT_PTR kTimerId = 1;

bool register_window_class(WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = this_module();
  window_class.lpszClassName = kWindowClass;
  return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

Win32MessageLoop::Win32MessageLoop() {
  if (!register_window_class(&Win32MessageLoop::window_procedure)) return;
  window_ = CreateWindowExW(0, kWindowClass, kWindowName, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            this_module(), nullptr);
  if (window_ != nullptr) SetWindowLongPtrW(window_, GWLP_USERDATA, LONG_PTR(this));
}

Win32MessageLoop::~Win32MessageLoop() {
  if (window_ == nullptr) return;
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

void Win32MessageLoop::start_timer(std::chrono::milliseconds interval,
                                   std::function<void()> on_tick) {
  if (interval.count() <= 0) return stop_timer();
  on_tick_ = std::move(on_tick);
  if (window_ == nullptr) return;
  const auto longest = std::chrono::milliseconds(USER_TIMER_MAXIMUM);
  // SetTimer on a running timer restarts its countdown.
  SetTimer(window_, kTimerId, UINT(std::min(interval, longest).count()), nullptr);
}

void Win32MessageLoop::stop_timer() noexcept {
  if (window_ != nullptr) KillTimer(window_, kTimerId);
}

void Win32MessageLoop::pump() {
  if (window_ == nullptr) return;
  MSG message;
  while (PeekMessageW(&message, window_, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

void Win32MessageLoop::tick() noexcept {
  // The tick may restart or stop the timer, replacing on_tick_: it runs from a copy.
  const std::function<void()> on_tick = on_tick_;
  try {
    if (on_tick) on_tick();
  } catch (...) {  // nothing may leave a window procedure
  }
}

LRESULT CALLBACK Win32MessageLoop::window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_TIMER && w == kTimerId) {
    if (auto* loop =
            reinterpret_cast<Win32MessageLoop*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
      loop->tick();
    }
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace kestrune
