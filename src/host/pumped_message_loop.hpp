// PumpedMessageLoop: a message loop that runs only when it is pumped, on a clock it is given.
//
// Nothing happens in the background: pump() runs the timer's tick when its time has come,
// and returns at once otherwise. Where no system loop delivers ticks (posix, tests) this is
// the thread's loop; tests give it a clock they move by hand.
//
//   PumpedMessageLoop loop([&] { return fake_now; });
//   loop.start_timer(500ms, [] { ... });
//   fake_now += 500ms;
//   loop.pump();                               // the tick runs
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "host/host_platform.hpp"

namespace kestrune {

class PumpedMessageLoop final : public MessageLoop {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  using Clock = std::function<TimePoint()>;

  explicit PumpedMessageLoop(Clock clock = &std::chrono::steady_clock::now);

  void start_timer(std::chrono::milliseconds interval, std::function<void()> on_tick) override;
  void stop_timer() noexcept override;
  // Runs one tick when it is due. Ticks missed while nobody pumped are run once, not caught up
  // one by one, as a system loop merges them; the next one is due one interval later.
  void pump() override;

  // When the next tick is due; nothing while the timer is stopped.
  std::optional<TimePoint> next_tick() const;

 private:
  Clock clock_;
  std::function<void()> on_tick_;
  std::chrono::milliseconds interval_{0};
  std::optional<TimePoint> due_;
  // Changes at every start and stop, so a tick can tell whether it restarted the timer.
  std::uint64_t generation_ = 0;
};

}  // namespace kestrune
