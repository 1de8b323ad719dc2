#include "host/frm_graphics.hpp"

#include <limits>

#include "host/function_descriptions.hpp"
#include "host/host_platform.hpp"

namespace kestrune {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kFastInterval{500};
constexpr milliseconds kSlowInterval{5000};
// Failed lookups after which the timer slows down, and after which it gives up.
constexpr std::int16_t kSlowDownAfter = 20;
constexpr std::int16_t kGiveUpAfter = 42;

constexpr CursorPicture kHandCursor{
    32,
    32,
    6,
    1,
    {
        "                                ", "     ###                        ",
        "    #...#                       ", "    #...#                       ",
        "    #...#                       ", "    #...#                       ",
        "    #...####                    ", "    #...#...####                ",
        "    #...#...#...###             ", "    #...#...#...#..#            ",
        " ## #...#...#...#..#            ", "#..##..............#            ",
        "#...#..............#            ", " #..#..............#            ",
        "  #................#            ", "  #................#            ",
        "   #..............#             ", "   #..............#             ",
        "    #............#              ", "    #............#              ",
        "     #..........#               ", "     #..........#               ",
        "     ############               ", "                                ",
        "                                ", "                                ",
        "                                ", "                                ",
        "                                ", "                                ",
        "                                ", "                                ",
    }};

std::unique_ptr<frmGraphics>& this_thread_form() {
  thread_local std::unique_ptr<frmGraphics> form;
  return form;
}

}  // namespace

Timer::Timer(std::function<void()> on_tick) : on_tick_(std::move(on_tick)) {}

void Timer::set_Enabled(bool enabled) {
  enabled_ = enabled;
  apply();
}

void Timer::set_Interval(milliseconds interval) {
  interval_ = interval;
  apply();
}

void Timer::apply() {
  MessageLoop& loop = *host_platform().message_loop;
  if (enabled_) {
    loop.start_timer(interval_, on_tick_);
  } else {
    loop.stop_timer();
  }
}

frmGraphics::frmGraphics() : Timer1([this] { Timer1_Timer(); }) {}

const CursorPicture& frmGraphics::hand_cursor() const { return kHandCursor; }

void frmGraphics::Timer1_Timer() noexcept {
  try {
    const auto host = host_platform().running_objects->find(kHostClassName);
    if (!host) return count_failed_lookup();
    Timer1.set_Enabled(false);  // this start of the timer is used up, whatever follows
    describe_functions(*host, descriptions);
  } catch (...) {
    // Any failure but a missing host: no retry until the next object is created.
    Timer1.set_Enabled(false);
  }
}

void frmGraphics::count_failed_lookup() {
  // The count cannot grow past its type; the overflow is a failure like any other.
  if (failed_attempts_ == std::numeric_limits<std::int16_t>::max()) {
    Timer1.set_Enabled(false);
    return;
  }
  ++failed_attempts_;
  if (failed_attempts_ >= kSlowDownAfter) Timer1.set_Interval(kSlowInterval);
  if (failed_attempts_ >= kGiveUpAfter) Timer1.set_Enabled(false);
}

frmGraphics& load_frmGraphics() {
  std::unique_ptr<frmGraphics>& form = this_thread_form();
  if (!form) form = std::make_unique<frmGraphics>();
  return *form;
}

frmGraphics* loaded_frmGraphics() { return this_thread_form().get(); }

void start_function_descriptions(std::span<const MacroDescription> descriptions) {
  frmGraphics& form = load_frmGraphics();
  form.descriptions = descriptions;
  form.Timer1.set_Enabled(true);
  form.Timer1.set_Interval(kFastInterval);
}

}  // namespace kestrune
