#include "host/pumped_message_loop.hpp"

#include <utility>

namespace kestrune {

PumpedMessageLoop::PumpedMessageLoop(Clock clock) : clock_(std::move(clock)) {}

void PumpedMessageLoop::start_timer(std::chrono::milliseconds interval,
                                    std::function<void()> on_tick) {
  if (interval <= std::chrono::milliseconds::zero()) return stop_timer();
  ++generation_;
  interval_ = interval;
  on_tick_ = std::move(on_tick);
  due_ = clock_() + interval;
}

void PumpedMessageLoop::stop_timer() noexcept {
  ++generation_;
  due_.reset();
}

void PumpedMessageLoop::pump() {
  if (!due_ || clock_() < *due_) return;
  const std::uint64_t generation = generation_;
  // A copy: the tick may restart the timer with another handler.
  const std::function<void()> tick = on_tick_;
  tick();
  if (generation != generation_) return;  // the tick stopped or restarted the timer itself
  const TimePoint now = clock_();
  *due_ += interval_;
  if (*due_ <= now) *due_ = now + interval_;
}

std::optional<PumpedMessageLoop::TimePoint> PumpedMessageLoop::next_tick() const { return due_; }

}  // namespace kestrune
