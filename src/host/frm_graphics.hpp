// frmGraphics: the thread's hidden form, with the timer that gives the host the function
// descriptions and the pointing-hand cursor that the About dialog borrows.
//
// One form per thread, loaded by the first clsKestrune created on it, never shown and never
// unloaded. Each creation switches Timer1 on at 500 ms; its tick looks for the running host,
// retrying every half second and, after 20 failed lookups, every five seconds, and gives up at
// the 42nd. The count of failed lookups lasts as long as the form.
//
//   start_function_descriptions(descriptions);      // what creating a clsKestrune does
//   host_platform().message_loop->pump();           // a due tick runs Timer1_Timer
//   loaded_frmGraphics()->failed_attempts();        // 1 when no host ran
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "host/function_descriptions.hpp"

namespace kestrune {

// A mouse cursor. Rows top to bottom: '#' black, '.' white, ' ' transparent; the one image
// serves both the 16-colour and the monochrome display.
struct CursorPicture {
  int width;
  int height;
  int hot_spot_x;
  int hot_spot_y;
  std::array<std::string_view, 32> rows;
};

// A timer control: ticks arrive from the thread's message loop while it is enabled. Writing
// Enabled or Interval (re)starts the countdown when the timer ends up enabled.
class Timer {
 public:
  explicit Timer(std::function<void()> on_tick);

  bool Enabled() const { return enabled_; }
  void set_Enabled(bool enabled);
  std::chrono::milliseconds Interval() const { return interval_; }
  void set_Interval(std::chrono::milliseconds interval);

 private:
  void apply();

  std::function<void()> on_tick_;
  bool enabled_ = false;
  std::chrono::milliseconds interval_{0};
};

class frmGraphics {
 public:
  frmGraphics();
  frmGraphics(const frmGraphics&) = delete;
  frmGraphics& operator=(const frmGraphics&) = delete;

  // The timer's tick: looks for the running host and gives it the descriptions. Catches every
  // failure itself.
  void Timer1_Timer() noexcept;

  const CursorPicture& hand_cursor() const;
  // The ticks on which no running host was found; never reset, never past 32,767.
  std::int16_t failed_attempts() const { return failed_attempts_; }

  Timer Timer1;
  // What the tick gives the host: set by whoever switches the timer on.
  std::span<const MacroDescription> descriptions;

 private:
  void count_failed_lookup();

  std::int16_t failed_attempts_ = 0;
};

// This thread's form, loaded on first use.
frmGraphics& load_frmGraphics();
// This thread's form, or nullptr while it is not loaded.
frmGraphics* loaded_frmGraphics();

// What creating a clsKestrune does: loads the form and switches Timer1 on at 500 ms, to give
// the host `descriptions` (which must outlive the thread).
void start_function_descriptions(std::span<const MacroDescription> descriptions);

}  // namespace kestrune
