// Host integration: the hidden form's timer and the description run it starts, the help
// file's path and the About dialog, each driven through fakes of the thread's platform (a
// clock and message loop moved by hand, a spreadsheet host that records every call, a
// registry, a shell and dialog windows).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "base/failure.hpp"
#include "base/utf8.hpp"
#include "expected_descriptions.hpp"
#include "host/frm_about.hpp"
#include "host/frm_graphics.hpp"
#include "host/host_platform.hpp"
#include "host/portable_platform.hpp"
#include "host/pumped_message_loop.hpp"
#include "platform/posix/posix_host_platform.hpp"
#include "test_support.hpp"
#include "variant/conversions.hpp"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;
using TimePoint = PumpedMessageLoop::TimePoint;

// ---------------------------------------------------------------------------------------------
// Fakes

// Forms and their failed-attempt count belong to the thread, so every scene runs on a thread
// of its own and starts with nothing loaded.
template <class Scenario>
void on_fresh_thread(Scenario scenario) {
  std::thread thread([&scenario] {
    try {
      scenario();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "the scene raised: " << e.what();
    }
  });
  thread.join();
}

// A clock moved by hand, and the thread's loop running on it.
class FakeMessageLoop {
 public:
  FakeMessageLoop() : loop_(std::make_shared<PumpedMessageLoop>([this] { return now_; })) {}

  std::shared_ptr<PumpedMessageLoop> loop() const { return loop_; }
  Ms now() const { return std::chrono::duration_cast<Ms>(now_ - kStart); }

  // Moves the clock to `time` after the start, dispatching every tick on the way at its own
  // moment.
  void run_until(Ms time) {
    const TimePoint end = kStart + time;
    for (auto due = loop_->next_tick(); due && *due <= end; due = loop_->next_tick()) {
      now_ = std::max(now_, *due);
      loop_->pump();
    }
    now_ = std::max(now_, end);
  }
  void run_for(Ms span) { run_until(now() + span); }

  std::optional<Ms> next_tick() const {
    const auto due = loop_->next_tick();
    if (!due) return std::nullopt;
    return std::chrono::duration_cast<Ms>(*due - kStart);
  }

 private:
  static constexpr TimePoint kStart = TimePoint{} + 24h;
  TimePoint now_ = kStart;
  std::shared_ptr<PumpedMessageLoop> loop_;
};

std::string lower(std::u16string_view name) {
  std::string out = to_utf8(name);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string shown(const Variant& value) {
  if (value.is_boolean()) return value.boolean_value() ? "True" : "False";
  if (value.is_text()) return to_utf8(value.text_value());
  return "?";
}

struct FakeAddIn {
  Variant name;
  Variant installed;
};

FakeAddIn addin(std::u16string name, bool installed) {
  return {Variant::text(std::move(name)), Variant::boolean(installed)};
}

// One MacroOptions call as the host received it.
struct Described {
  std::vector<CallArgument> arguments;
};

// A spreadsheet host. It matches member names without regard to case, records every call in
// order as "<object> <get|put|call|next> <member as called>[ <value>]", and can be told to
// refuse a call, to answer with values of the wrong kind, or to go away after some calls.
class FakeHost : public std::enable_shared_from_this<FakeHost> {
 public:
  // What it holds.
  std::vector<FakeAddIn> addins;
  // Items of the add-in list handed out instead of the add-in at the same place.
  std::map<std::size_t, Variant> odd_items;
  // Answers of property gets by lower-case member name ("addins"), in place of the real one.
  std::map<std::string, Variant> odd_answers;
  // A call to refuse: its record and which occurrence (1 the first).
  struct Refusal {
    std::string record;
    int occurrence;
  };
  std::vector<Refusal> refusals;
  // Every call after this many fails: the host has gone.
  std::optional<std::size_t> gone_after;

  // What it saw.
  std::vector<std::string> calls;
  std::vector<Described> described;
  bool display_alerts = true;
  bool screen_updating = true;

  std::shared_ptr<const AutomationObject> application();

  // Records a call and raises when it is to fail.
  void enter(std::string record) {
    calls.push_back(record);
    if (gone_after && calls.size() > *gone_after) fail("the host has gone away");
    const int occurrence = ++occurrences_[record];
    for (const Refusal& refusal : refusals) {
      if (refusal.record == record && refusal.occurrence == occurrence) fail("refused");
    }
  }
  std::optional<Variant> odd_answer(std::u16string_view member) const {
    const auto it = odd_answers.find(lower(member));
    if (it == odd_answers.end()) return std::nullopt;
    return it->second;
  }

 private:
  std::map<std::string, int> occurrences_;
};

class FakeHostObject final : public AutomationObject {
 public:
  enum class Kind { application, addins, addin };
  FakeHostObject(std::shared_ptr<FakeHost> host, Kind kind, std::size_t index = 0)
      : host_(std::move(host)), kind_(kind), index_(index) {}

  Variant get(std::u16string_view member) const override {
    host_->enter(name() + " get " + to_utf8(member));
    if (auto odd = host_->odd_answer(member)) return *odd;
    const std::string key = lower(member);
    if (kind_ == Kind::application && key == "addins") {
      return Variant::object(std::make_shared<FakeHostObject>(host_, Kind::addins));
    }
    if (kind_ == Kind::application && key == "displayalerts") {
      return Variant::boolean(host_->display_alerts);
    }
    if (kind_ == Kind::addin && key == "name") return host_->addins.at(index_).name;
    if (kind_ == Kind::addin && key == "installed") return host_->addins.at(index_).installed;
    fail("unknown name");
  }

  void put(std::u16string_view member, const Variant& value) const override {
    host_->enter(name() + " put " + to_utf8(member) + " " + shown(value));
    const std::string key = lower(member);
    if (kind_ != Kind::application || !value.is_boolean()) fail(FailureKind::type_mismatch);
    if (key == "displayalerts") {
      host_->display_alerts = value.boolean_value();
    } else if (key == "screenupdating") {
      host_->screen_updating = value.boolean_value();
    } else {
      fail("unknown name");
    }
  }

  Variant call(std::u16string_view member, std::span<const CallArgument> arguments) const override {
    host_->enter(name() + " call " + to_utf8(member));
    if (kind_ != Kind::application || lower(member) != "macrooptions") fail("unknown name");
    host_->described.push_back({{arguments.begin(), arguments.end()}});
    if (auto odd = host_->odd_answer(member)) return *odd;
    return {};
  }

  void for_each(const std::function<void(const Variant&)>& visit) const override {
    if (kind_ != Kind::addins) fail("object doesn't support this action");
    for (std::size_t i = 0; i < host_->addins.size(); ++i) {
      host_->enter("AddIns next");
      const auto odd = host_->odd_items.find(i);
      visit(odd != host_->odd_items.end()
                ? odd->second
                : Variant::object(std::make_shared<FakeHostObject>(host_, Kind::addin, i)));
    }
    host_->enter("AddIns next");  // the end of the list
  }

 private:
  std::string name() const {
    switch (kind_) {
      case Kind::application:
        return "Application";
      case Kind::addins:
        return "AddIns";
      case Kind::addin:
        return "AddIn" + std::to_string(index_ + 1);
    }
    return {};
  }

  std::shared_ptr<FakeHost> host_;
  Kind kind_;
  std::size_t index_;
};

std::shared_ptr<const AutomationObject> FakeHost::application() {
  return std::make_shared<FakeHostObject>(shared_from_this(), FakeHostObject::Kind::application);
}

// The table of running applications: the host registers only from a given moment, or the
// lookup itself breaks.
class FakeRunningObjects final : public RunningObjects {
 public:
  FakeRunningObjects(const FakeMessageLoop& clock, std::shared_ptr<FakeHost> host)
      : clock_(clock), host_(std::move(host)) {}

  std::optional<Ms> reachable_from = 0ms;  // nothing: never
  bool broken = false;
  std::vector<Ms> lookups;
  std::vector<std::u16string> class_names;

  std::shared_ptr<const AutomationObject> find(std::u16string_view class_name) override {
    lookups.push_back(clock_.now());
    class_names.emplace_back(class_name);
    if (broken) fail("the running object table cannot be read");
    if (class_name != u"Excel.Application" || !reachable_from || clock_.now() < *reachable_from) {
      return nullptr;
    }
    return host_->application();
  }

 private:
  const FakeMessageLoop& clock_;
  std::shared_ptr<FakeHost> host_;
};

class FakeComponentLocation final : public ComponentLocation {
 public:
  std::optional<std::u16string> record;
  std::u16string module_path;
  std::vector<std::u16string> keys_read;

  std::optional<std::u16string> registration_record(std::u16string_view key) override {
    keys_read.emplace_back(key);
    return record;
  }
  std::u16string loaded_module_path() override { return module_path; }
};

struct ShellCall {
  WindowHandle owner;
  std::u16string verb;
  std::u16string target;
  ShowCommand show;
};

class FakeShell final : public Shell {
 public:
  std::vector<ShellCall> opened;
  void open(WindowHandle owner, std::u16string_view verb, std::u16string_view target,
            ShowCommand show) noexcept override {
    opened.push_back({owner, std::u16string(verb), std::u16string(target), show});
  }
};

// What happened to the dialog windows, in order: "create <caption>", "show 1", "forward 1",
// "close 1" (numbered by creation).
using WindowLog = std::vector<std::string>;

class FakeWindow final : public DialogWindow {
 public:
  FakeWindow(std::shared_ptr<WindowLog> log, int number) : log_(std::move(log)), number_(number) {}
  ~FakeWindow() override { note("close"); }
  void show_modeless() override { note("show"); }
  void bring_forward() override { note("forward"); }
  WindowHandle handle() const override { return WindowHandle(0x1000 + number_); }

 private:
  void note(const char* what) { log_->push_back(what + (" " + std::to_string(number_))); }
  std::shared_ptr<WindowLog> log_;
  int number_;
};

class FakeDialogs final : public DialogWindows {
 public:
  std::shared_ptr<WindowLog> log = std::make_shared<WindowLog>();
  std::unique_ptr<DialogWindow> create(frmAbout& form) override {
    log->push_back("create " + to_utf8(form.Caption));
    return std::make_unique<FakeWindow>(log, ++created_);
  }

 private:
  int created_ = 0;
};

// The thread's whole platform, faked, with a host that is running and has the companion
// add-in installed among others.
struct Scene {
  FakeMessageLoop clock;
  std::shared_ptr<FakeHost> host = std::make_shared<FakeHost>();
  std::shared_ptr<FakeRunningObjects> running = std::make_shared<FakeRunningObjects>(clock, host);
  std::shared_ptr<FakeComponentLocation> location = std::make_shared<FakeComponentLocation>();
  std::shared_ptr<FakeShell> shell = std::make_shared<FakeShell>();
  std::shared_ptr<FakeDialogs> dialogs = std::make_shared<FakeDialogs>();

  Scene() {
    host->addins = {addin(u"analys32.xll", true), addin(u"kestrune.xla", true),
                    addin(u"solver.xlam", false)};
    install_host_platform({clock.loop(), running, location, shell, dialogs});
  }

  // Creates an object and runs the loop until long after every possible retry.
  void create_and_settle() {
    clsKestrune object;
    clock.run_for(1h);
  }
  const frmGraphics& form() const { return *loaded_frmGraphics(); }
  bool timer_on() const { return form().Timer1.Enabled(); }
  std::size_t lookups() const { return running->lookups.size(); }
};

// ---------------------------------------------------------------------------------------------
// The description run

using test::kExpectedDescriptions;

// Checks that `described` holds the first `rows` descriptions in order, each as seven
// positional arguments: macro, text, four left out, the category.
void expect_descriptions(const std::vector<Described>& described, std::size_t rows) {
  ASSERT_EQ(described.size(), rows);
  for (std::size_t row = 0; row < rows; ++row) {
    SCOPED_TRACE("row " + std::to_string(row + 1));
    const auto& arguments = described[row].arguments;
    ASSERT_EQ(arguments.size(), 7u);
    for (const CallArgument& argument : arguments) EXPECT_TRUE(argument.name.empty());
    EXPECT_EQ(arguments[0].value, test::text(std::u16string(kExpectedDescriptions[row].macro)));
    EXPECT_EQ(arguments[1].value, test::text(std::u16string(kExpectedDescriptions[row].text)));
    for (std::size_t left_out = 2; left_out <= 5; ++left_out) {
      EXPECT_TRUE(arguments[left_out].value.is_missing()) << left_out + 1;
    }
    EXPECT_EQ(arguments[6].value, test::text(u"kestrune"));
  }
}

std::vector<std::string> full_run_calls() {
  std::vector<std::string> calls = {
      "Application put DisplayAlerts False",
      "Application put ScreenUpdating False",
      "Application get addins",
      "AddIns next",
      "AddIn1 get Name",
      "AddIns next",
      "AddIn2 get Name",
      "AddIn2 get installed",
      "AddIns next",
      "AddIn3 get Name",
      "AddIns next",
  };
  calls.insert(calls.end(), 13, "Application call MacroOptions");
  calls.push_back("Application put DisplayAlerts True");
  calls.push_back("Application put ScreenUpdating True");
  return calls;
}

TEST(DescriptionRun, HostFoundOnTheFirstTick) {
  on_fresh_thread([] {
    Scene scene;
    clsKestrune object;
    ASSERT_NE(loaded_frmGraphics(), nullptr);
    EXPECT_TRUE(scene.timer_on());
    EXPECT_EQ(scene.form().Timer1.Interval(), 500ms);

    scene.clock.run_until(499ms);
    EXPECT_EQ(scene.lookups(), 0u) << "nothing runs before the first tick";
    scene.clock.run_until(500ms);
    EXPECT_EQ(scene.running->lookups, std::vector<Ms>{500ms});
    EXPECT_EQ(scene.running->class_names, std::vector<std::u16string>{u"Excel.Application"});
    EXPECT_EQ(scene.host->calls, full_run_calls());
    expect_descriptions(scene.host->described, 13);
    EXPECT_TRUE(scene.host->display_alerts);
    EXPECT_TRUE(scene.host->screen_updating);
    EXPECT_FALSE(scene.timer_on());
    EXPECT_EQ(scene.form().failed_attempts(), 0);

    scene.clock.run_for(1h);
    EXPECT_EQ(scene.lookups(), 1u) << "the run happens once per object";
  });
}

TEST(DescriptionRun, HostReachableOnlyFromThreePointTwoSeconds) {
  on_fresh_thread([] {
    Scene scene;
    scene.running->reachable_from = 3200ms;
    scene.create_and_settle();
    const std::vector<Ms> expected{500ms, 1000ms, 1500ms, 2000ms, 2500ms, 3000ms, 3500ms};
    EXPECT_EQ(scene.running->lookups, expected);
    EXPECT_EQ(scene.form().failed_attempts(), 6);
    expect_descriptions(scene.host->described, 13);
    EXPECT_FALSE(scene.timer_on());
  });
}

// 20 tries half a second apart, then 22 five seconds apart: the last at 120 s.
std::vector<Ms> give_up_schedule(Ms from) {
  std::vector<Ms> times;
  Ms at = from;
  for (int i = 0; i < 20; ++i) times.push_back(at += 500ms);
  for (int i = 0; i < 22; ++i) times.push_back(at += 5000ms);
  return times;
}

TEST(DescriptionRun, HostNeverReachableGivesUpAtTheFortySecondTry) {
  on_fresh_thread([] {
    Scene scene;
    scene.running->reachable_from.reset();
    scene.create_and_settle();
    ASSERT_EQ(scene.running->lookups, give_up_schedule(0ms));
    EXPECT_EQ(scene.running->lookups.back(), 120s);
    EXPECT_EQ(scene.form().failed_attempts(), 42);
    EXPECT_FALSE(scene.timer_on());
    EXPECT_EQ(scene.clock.next_tick(), std::nullopt);
    EXPECT_TRUE(scene.host->calls.empty());
  });
}

TEST(DescriptionRun, ACreationAfterGivingUpGivesExactlyOneMoreTry) {
  on_fresh_thread([] {
    Scene scene;
    scene.running->reachable_from.reset();
    scene.create_and_settle();
    const Ms created = scene.clock.now();
    scene.create_and_settle();
    ASSERT_EQ(scene.lookups(), 43u);
    EXPECT_EQ(scene.running->lookups.back(), created + 500ms);
    EXPECT_EQ(scene.form().failed_attempts(), 43);
    EXPECT_FALSE(scene.timer_on());
  });
}

struct CarriedCountCase {
  Ms host_found_at;  // after this many failed tries...
  std::int16_t failed_before;
  // ...the next object's first failed try leaves the timer so:
  bool still_on;
  Ms next_interval;
};

TEST(DescriptionRun, TheCountOfFailedTriesCarriesOverToTheNextObject) {
  const CarriedCountCase cases[] = {
      {500ms, 0, true, 500ms},
      {9800ms, 19, true, 5000ms},  // the 20th failure slows the new timer at once
      {118s, 41, false, 5000ms},   // the 42nd stops it at once
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failed_before);
    on_fresh_thread([&c] {
      Scene scene;
      scene.running->reachable_from = c.host_found_at;
      scene.create_and_settle();
      EXPECT_EQ(scene.form().failed_attempts(), c.failed_before);
      expect_descriptions(scene.host->described, 13);

      scene.running->reachable_from.reset();
      clsKestrune object;
      const Ms created = scene.clock.now();
      scene.clock.run_for(500ms);
      ASSERT_FALSE(scene.running->lookups.empty());
      EXPECT_EQ(scene.running->lookups.back(), created + 500ms);
      EXPECT_EQ(scene.form().failed_attempts(), c.failed_before + 1);
      EXPECT_EQ(scene.timer_on(), c.still_on);
      EXPECT_EQ(scene.form().Timer1.Interval(), c.next_interval);
      if (c.still_on) {
        EXPECT_EQ(scene.clock.next_tick(), created + 500ms + c.next_interval);
      }
    });
  }
}

TEST(DescriptionRun, EachCreationRestartsTheTimerAtHalfASecond) {
  on_fresh_thread([] {
    Scene scene;
    scene.running->reachable_from.reset();
    clsKestrune first;
    scene.clock.run_until(300ms);
    clsKestrune second;  // the countdown starts again
    scene.clock.run_until(799ms);
    EXPECT_TRUE(scene.running->lookups.empty());
    scene.clock.run_until(800ms);
    EXPECT_EQ(scene.running->lookups, std::vector<Ms>{800ms});

    // Slow after 20 failures; a creation brings the timer back to half a second once.
    scene.clock.run_until(30s);
    ASSERT_EQ(scene.form().failed_attempts(), 23);
    ASSERT_EQ(scene.form().Timer1.Interval(), 5000ms);
    clsKestrune third;
    EXPECT_EQ(scene.form().Timer1.Interval(), 500ms);
    scene.clock.run_until(30500ms);
    EXPECT_EQ(scene.running->lookups.back(), 30500ms);
    EXPECT_EQ(scene.clock.next_tick(), 35500ms);
  });
}

TEST(DescriptionRun, EveryObjectGivesTheDescriptionsAgain) {
  on_fresh_thread([] {
    Scene scene;
    scene.create_and_settle();
    scene.create_and_settle();
    ASSERT_EQ(scene.host->described.size(), 26u);
    for (std::size_t row = 0; row < 13; ++row) {
      EXPECT_EQ(scene.host->described[13 + row].arguments[0].value,
                scene.host->described[row].arguments[0].value);
    }
  });
}

TEST(DescriptionRun, TheCountStopsAtItsLimitInsteadOfOverflowing) {
  on_fresh_thread([] {
    Scene scene;
    scene.running->reachable_from.reset();
    scene.create_and_settle();
    // After giving up, each object gives one more try (bounded, should the count wrap).
    for (int made = 0; made < 40000 && scene.form().failed_attempts() < 32767; ++made) {
      clsKestrune object;
      scene.clock.run_for(500ms);
    }
    ASSERT_EQ(scene.form().failed_attempts(), 32767);
    const std::size_t tries = scene.lookups();
    clsKestrune object;
    scene.clock.run_for(1h);
    EXPECT_EQ(scene.lookups(), tries + 1);
    EXPECT_EQ(scene.form().failed_attempts(), 32767);
    EXPECT_FALSE(scene.timer_on());
  });
}

TEST(DescriptionRun, ALookupThatBreaksStopsTheTimerWithoutCounting) {
  on_fresh_thread([] {
    Scene scene;
    scene.running->broken = true;
    scene.create_and_settle();
    EXPECT_EQ(scene.lookups(), 1u);
    EXPECT_EQ(scene.form().failed_attempts(), 0);
    EXPECT_FALSE(scene.timer_on());
  });
}

struct AddInListCase {
  const char* name;
  std::vector<FakeAddIn> addins;
  bool described;
};

TEST(DescriptionRun, OnlyTheInstalledCompanionAddInCounts) {
  const AddInListCase cases[] = {
      {"other case", {addin(u"KESTRUNE.XLA", true)}, false},
      {"listed, not installed", {addin(u"kestrune.xla", false)}, false},
      {"no add-ins", {}, false},
      {"longer name", {addin(u"kestrune.xla ", true), addin(u"kestrune.xlam", true)}, false},
      {"path, not name", {addin(u"C:\\Addins\\kestrune.xla", true)}, false},
      {"installed twice over", {addin(u"kestrune.xla", false), addin(u"kestrune.xla", true)}, true},
      {"last in a long list",
       {addin(u"a.xla", true), addin(u"b.xla", true), addin(u"kestrune.xla", true)},
       true},
      {"installed as the text True", {{test::text(u"kestrune.xla"), test::text(u"True")}}, true},
      {"installed as the number 1", {{test::text(u"kestrune.xla"), test::number(1)}}, true},
      {"installed as a null", {{test::text(u"kestrune.xla"), Variant::null()}}, false},
      {"a number for a name", {{test::number(5), Variant::boolean(true)}}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    on_fresh_thread([&c] {
      Scene scene;
      scene.host->addins = c.addins;
      scene.create_and_settle();
      expect_descriptions(scene.host->described, c.described ? 13 : 0);
      EXPECT_TRUE(scene.host->display_alerts);
      EXPECT_TRUE(scene.host->screen_updating);
      EXPECT_FALSE(scene.timer_on());
      EXPECT_EQ(scene.lookups(), 1u);
      // The walk reaches the end of the list whatever it finds.
      EXPECT_EQ(std::count(scene.host->calls.begin(), scene.host->calls.end(), "AddIns next"),
                std::ptrdiff_t(c.addins.size() + 1));
    });
  }
}

struct RefusalCase {
  const char* record;
  int occurrence;
  std::size_t rows_sent;
  // The calls after the refused one.
  std::vector<std::string> afterwards;
};

TEST(DescriptionRun, ARefusedCallEndsTheRunAndRestoresTheHost) {
  const std::vector<std::string> restore = {"Application put DisplayAlerts True",
                                            "Application put ScreenUpdating True"};
  const RefusalCase cases[] = {
      {"Application call MacroOptions", 4, 3, restore},
      {"Application call MacroOptions", 1, 0, restore},
      {"Application call MacroOptions", 13, 12, restore},
      {"Application put DisplayAlerts False", 1, 0, {}},  // nothing was switched off
      {"Application put ScreenUpdating False", 1, 0, restore},
      {"Application get addins", 1, 0, restore},
      {"AddIns next", 2, 0, restore},
      {"AddIn2 get Name", 1, 0, restore},
      {"AddIn2 get installed", 1, 0, restore},
      // Refused while restoring: both are switched on again.
      {"Application put DisplayAlerts True", 1, 13, restore},
      {"Application put ScreenUpdating True", 1, 13, restore},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.record) + " #" + std::to_string(c.occurrence));
    on_fresh_thread([&c] {
      Scene scene;
      scene.host->refusals = {{c.record, c.occurrence}};
      scene.create_and_settle();
      expect_descriptions(scene.host->described, c.rows_sent);
      EXPECT_TRUE(scene.host->display_alerts);
      EXPECT_TRUE(scene.host->screen_updating);
      EXPECT_FALSE(scene.timer_on());
      EXPECT_EQ(scene.lookups(), 1u) << "no retry until the next object";
      EXPECT_EQ(scene.form().failed_attempts(), 0);

      const auto& calls = scene.host->calls;
      std::size_t refused = 0;
      for (int seen = 0; refused < calls.size(); ++refused) {
        if (calls[refused] == c.record && ++seen == c.occurrence) break;
      }
      ASSERT_LT(refused, calls.size());
      EXPECT_EQ(std::vector<std::string>(calls.begin() + std::ptrdiff_t(refused) + 1, calls.end()),
                c.afterwards);
    });
  }
}

struct OddAnswerCase {
  const char* name;
  std::map<std::string, Variant> odd_answers;
  std::map<std::size_t, Variant> odd_items;
  std::size_t rows_sent;
};

TEST(DescriptionRun, AnswersOfTheWrongKindEndTheRunCleanly) {
  auto not_automation = std::make_shared<ValueObject>(Variant::boolean(true));
  const OddAnswerCase cases[] = {
      {"add-ins as a text", {{"addins", test::text(u"AddIns")}}, {}, 0},
      {"add-ins as a number", {{"addins", test::number(3)}}, {}, 0},
      {"add-ins as Nothing", {{"addins", Variant::object(nullptr)}}, {}, 0},
      {"add-ins as a foreign object", {{"addins", Variant::object(not_automation)}}, {}, 0},
      {"add-ins as a blank", {{"addins", Variant()}}, {}, 0},
      {"an add-in that is a number", {}, {{0, test::number(1)}}, 0},
      {"an add-in that is Nothing", {}, {{2, Variant::object(nullptr)}}, 0},
      {"a name that is null", {{"name", Variant::null()}}, {}, 0},
      {"a name that is an error", {{"name", Variant::error(worksheet_error::kNA)}}, {}, 0},
      {"installed as a word", {{"installed", test::text(u"yes")}}, {}, 0},
      {"installed as an array", {{"installed", test::row({u"1"})}}, {}, 0},
      // The host's answer to MacroOptions is not looked at.
      {"MacroOptions answers an error", {{"macrooptions", Variant::error(0x800A03ECu)}}, {}, 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    on_fresh_thread([&c] {
      Scene scene;
      scene.host->odd_answers = c.odd_answers;
      scene.host->odd_items = c.odd_items;
      scene.create_and_settle();
      expect_descriptions(scene.host->described, c.rows_sent);
      EXPECT_TRUE(scene.host->display_alerts);
      EXPECT_TRUE(scene.host->screen_updating);
      EXPECT_FALSE(scene.timer_on());
      EXPECT_EQ(scene.lookups(), 1u);
    });
  }
}

TEST(DescriptionRun, AHostThatDisappearsAnywhereEndsTheTickCleanly) {
  const std::vector<std::string> full_run = full_run_calls();
  const std::vector<std::string> restore = {"Application put DisplayAlerts True",
                                            "Application put ScreenUpdating True"};
  for (std::size_t gone_after = 0; gone_after < full_run.size(); ++gone_after) {
    SCOPED_TRACE("gone after " + std::to_string(gone_after) + " calls");
    on_fresh_thread([&] {
      Scene scene;
      scene.host->gone_after = gone_after;
      scene.create_and_settle();
      EXPECT_FALSE(scene.timer_on());
      EXPECT_EQ(scene.lookups(), 1u);
      const auto calls_made = full_run.begin() + std::ptrdiff_t(gone_after);
      EXPECT_EQ(
          scene.host->described.size(),
          std::size_t(std::count(full_run.begin(), calls_made, "Application call MacroOptions")));
      // The run went as usual up to the failing call; then, once alerts were off, switching
      // both back on is tried.
      const auto& calls = scene.host->calls;
      ASSERT_GT(calls.size(), gone_after);
      EXPECT_EQ(
          std::vector<std::string>(calls.begin(), calls.begin() + std::ptrdiff_t(gone_after) + 1),
          std::vector<std::string>(full_run.begin(), calls_made + 1));
      const std::vector<std::string> after(calls.begin() + std::ptrdiff_t(gone_after) + 1,
                                           calls.end());
      EXPECT_EQ(after, gone_after == 0 ? std::vector<std::string>{} : restore);
    });
  }
}

// ---------------------------------------------------------------------------------------------
// The loop that runs only when pumped

TEST(PumpedMessageLoop, TicksOnlyWhenPumpedAndDue) {
  TimePoint now{};
  PumpedMessageLoop loop([&now] { return now; });
  std::vector<Ms> ticks;
  auto at = [&] { return std::chrono::duration_cast<Ms>(now - TimePoint{}); };
  loop.start_timer(500ms, [&] { ticks.push_back(at()); });

  now += 499ms;
  loop.pump();
  EXPECT_TRUE(ticks.empty());
  now += 1ms;
  loop.pump();
  loop.pump();  // due once, runs once
  EXPECT_EQ(ticks, std::vector<Ms>{500ms});

  // Ticks missed while nobody pumped run once; the next is one interval after that.
  now += 2600ms;
  loop.pump();
  EXPECT_EQ(ticks, (std::vector<Ms>{500ms, 3100ms}));
  EXPECT_EQ(loop.next_tick(), TimePoint{} + 3600ms);

  loop.stop_timer();
  now += 1h;
  loop.pump();
  EXPECT_EQ(ticks.size(), 2u);
  EXPECT_EQ(loop.next_tick(), std::nullopt);
}

TEST(PumpedMessageLoop, ATickMayStopOrRestartItsTimer) {
  TimePoint now{};
  PumpedMessageLoop loop([&now] { return now; });
  int ticks = 0;
  loop.start_timer(500ms, [&] {
    if (++ticks == 2) loop.start_timer(5000ms, [&] { ++ticks, loop.stop_timer(); });
  });
  for (int i = 0; i < 4; ++i) {
    now += 500ms;
    loop.pump();
  }
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(loop.next_tick(), TimePoint{} + 6000ms);
  now = TimePoint{} + 6000ms;
  loop.pump();
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(loop.next_tick(), std::nullopt);

  loop.start_timer(0ms, [&] { ++ticks; });  // no interval: no timer
  EXPECT_EQ(loop.next_tick(), std::nullopt);
}

// ---------------------------------------------------------------------------------------------
// The help file's path

struct HelpPathCase {
  std::optional<std::u16string> record;
  std::u16string module_path;
  std::u16string expected;
};

TEST(HelpfilePath, BesideTheRegisteredComponentFile) {
  const HelpPathCase cases[] = {
      {u"C:\\Tools\\Addins\\kestrune.dll", u"", u"C:\\Tools\\Addins\\kestrune.chm"},
      {u"D:\\KESTRUNE.DLL", u"", u"D:\\kestrune.chm"},
      // Any file name, any length.
      {u"C:\\Program Files\\kestrune\\kestrune64.dll", u"",
       u"C:\\Program Files\\kestrune\\kestrune.chm"},
      {u"C:\\k.dll", u"", u"C:\\kestrune.chm"},
      // The cut counts characters, whatever the folders are called.
      {u"C:\\Werkzeuge\\Übersicht\\日本語のフォルダ\\kestrune.dll", u"",
       u"C:\\Werkzeuge\\Übersicht\\日本語のフォルダ\\kestrune.chm"},
      {u"D:\\\U0001F600\\kestrune.dll", u"", u"D:\\\U0001F600\\kestrune.chm"},
      // Either separator; the last one counts.
      {u"Z:\\home\\user/addins/kestrune.dll", u"", u"Z:\\home\\user/addins/kestrune.chm"},
      {u"/opt/kestrune/lib/libkestrune.so", u"", u"/opt/kestrune/lib/kestrune.chm"},
      {u"/kestrune", u"", u"/kestrune.chm"},
      {u"\\\\server\\share\\kestrune.dll", u"", u"\\\\server\\share\\kestrune.chm"},
      // A file with no folder has the help file beside it in the same (current) folder.
      {u"kestrune.dll", u"", u"kestrune.chm"},
      // The record cannot be read, or is empty: the loaded module's own folder.
      {std::nullopt, u"C:\\Addins\\kestrune.dll", u"C:\\Addins\\kestrune.chm"},
      {u"", u"/usr/lib/x86_64-linux-gnu/libkestrune.so", u"/usr/lib/x86_64-linux-gnu/kestrune.chm"},
      {std::nullopt, u"", u"kestrune.chm"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(to_utf8(c.record.value_or(u"(unreadable)")));
    on_fresh_thread([&c] {
      Scene scene;
      scene.location->record = c.record;
      scene.location->module_path = c.module_path;
      clsKestrune object;
      EXPECT_EQ(to_utf8(object.krHelpfilePath()), to_utf8(c.expected));
      EXPECT_EQ(scene.location->keys_read,
                std::vector<std::u16string>{
                    u"CLSID\\{2D935A7D-6081-4348-BEA1-CA0EA9759BB3}\\InprocServer32"});
    });
  }
}

TEST(HelpfilePath, OnPosixBesideTheLoadedModule) {
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
  const std::string expected = (program.parent_path() / "kestrune.chm").string();
  on_fresh_thread([&expected, &program] {
    install_host_platform(make_posix_host_platform());
    PosixComponentLocation location;
    EXPECT_EQ(to_utf8(location.loaded_module_path()), program.string());
    EXPECT_EQ(location.registration_record(u"any key"), location.loaded_module_path());
    clsKestrune object;
    EXPECT_EQ(to_utf8(object.krHelpfilePath()), expected);
  });
  // Made the process's default, it serves threads that install nothing.
  install_default_host_platform(&make_posix_host_platform);
  on_fresh_thread([&expected] { EXPECT_EQ(to_utf8(clsKestrune().krHelpfilePath()), expected); });
  install_default_host_platform(nullptr);
  on_fresh_thread([] { EXPECT_EQ(clsKestrune().krHelpfilePath(), u"kestrune.chm"); });
}

// ---------------------------------------------------------------------------------------------
// The About dialog

TEST(AboutDialog, FormLoadDressesTheLink) {
  on_fresh_thread([] {
    Scene scene;
    clsKestrune object;
    object.krABOUT();
    const frmAbout* dialog = loaded_frmAbout();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Caption, u"About kestrune");
    EXPECT_EQ(dialog->lblHyperlink.Caption, u"https://www.kestrune.com");
    EXPECT_EQ(dialog->lblHyperlink.alignment, Alignment::center);
    EXPECT_EQ(dialog->lblHyperlink.ForeColor, (Rgb{0, 0, 255}));
    EXPECT_EQ(dialog->lblHyperlink.font.size, 10);
    EXPECT_TRUE(dialog->lblHyperlink.font.underline);
    EXPECT_EQ(dialog->lblHyperlink.mouse_pointer, MousePointer::custom);
    EXPECT_EQ(dialog->lblHyperlink.MouseIcon, &load_frmGraphics().hand_cursor());
    EXPECT_EQ(dialog->cmdOK.Caption, u"OK");
    EXPECT_EQ(dialog->Image1.typeface, u"Courier New");
    EXPECT_EQ(dialog->lblCopyright.Caption, u"kestrune 1.0");
    // Form_Load has run before the window is made from the form.
    EXPECT_EQ(*scene.dialogs->log, (WindowLog{"create About kestrune", "show 1"}));
    EXPECT_TRUE(dialog->Visible());
  });
}

TEST(AboutDialog, OneDialogPerThreadUntilOK) {
  on_fresh_thread([] {
    Scene scene;
    clsKestrune object;
    object.krABOUT();
    frmAbout* first = loaded_frmAbout();
    ASSERT_NE(first, nullptr);
    first->Caption = u"moved on";  // to see whether Form_Load runs again

    object.krABOUT();
    ASSERT_EQ(loaded_frmAbout(), first);
    EXPECT_EQ(first->Caption, u"moved on") << "the shown dialog is only brought forward";
    EXPECT_EQ(*scene.dialogs->log, (WindowLog{"create About kestrune", "show 1", "forward 1"}));

    first->cmdOK_Click();
    EXPECT_EQ(loaded_frmAbout(), nullptr);
    EXPECT_EQ(scene.dialogs->log->back(), "close 1");

    clsKestrune().krABOUT();
    ASSERT_NE(loaded_frmAbout(), nullptr);
    EXPECT_EQ(loaded_frmAbout()->Caption, u"About kestrune");
    EXPECT_EQ(*scene.dialogs->log, (WindowLog{"create About kestrune", "show 1", "forward 1",
                                              "close 1", "create About kestrune", "show 2"}));

    // Another thread has a dialog of its own.
    on_fresh_thread([] {
      Scene other;
      EXPECT_EQ(loaded_frmAbout(), nullptr);
      clsKestrune().krABOUT();
      EXPECT_EQ(*other.dialogs->log, (WindowLog{"create About kestrune", "show 1"}));
    });
    EXPECT_EQ(scene.dialogs->log->size(), 6u);
  });
}

TEST(AboutDialog, TheLinkOpensTheAddressAndLeavesTheDialogOpen) {
  on_fresh_thread([] {
    Scene scene;
    clsKestrune().krABOUT();
    frmAbout* dialog = loaded_frmAbout();
    ASSERT_NE(dialog, nullptr);
    dialog->lblHyperlink_Click();
    dialog->lblHyperlink_Click();
    ASSERT_EQ(scene.shell->opened.size(), 2u);
    const ShellCall& call = scene.shell->opened.front();
    EXPECT_EQ(call.owner, dialog->hWnd());
    EXPECT_NE(call.owner, WindowHandle(0));
    EXPECT_EQ(call.verb, u"open");
    EXPECT_EQ(call.target, u"https://www.kestrune.com");
    EXPECT_EQ(call.show, ShowCommand::maximized);
    EXPECT_EQ(loaded_frmAbout(), dialog);
    EXPECT_TRUE(dialog->Visible());
    EXPECT_EQ(*scene.dialogs->log, (WindowLog{"create About kestrune", "show 1"}));
  });
}

TEST(AboutDialog, WithoutAWindowTheFormIsTheDialog) {
  on_fresh_thread([] {
    HostPlatform platform = make_posix_host_platform();
    platform.shell = std::make_shared<FakeShell>();  // never start a browser from a test
    install_host_platform(platform);
    clsKestrune object;
    object.krABOUT();
    object.krABOUT();
    frmAbout* dialog = loaded_frmAbout();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->Visible());
    EXPECT_EQ(dialog->hWnd(), WindowHandle(0));
    dialog->cmdOK_Click();
    EXPECT_EQ(loaded_frmAbout(), nullptr);
  });
}

TEST(AboutDialog, TheHandCursorPointsWithItsFingerTip) {
  on_fresh_thread([] {
    const CursorPicture& hand = load_frmGraphics().hand_cursor();
    EXPECT_EQ(hand.width, 32);
    EXPECT_EQ(hand.height, 32);
    EXPECT_EQ(hand.hot_spot_x, 6);
    EXPECT_EQ(hand.hot_spot_y, 1);
    for (std::string_view row : hand.rows) {
      EXPECT_EQ(row.size(), 32u);
      EXPECT_EQ(row.find_first_not_of(" .#"), std::string_view::npos) << row;
    }
    // The hot spot is on the tip: drawn, with nothing drawn above it.
    EXPECT_EQ(hand.rows[1][6], '#');
    EXPECT_EQ(hand.rows[0].find_first_not_of(' '), std::string_view::npos);
  });
}

// ---------------------------------------------------------------------------------------------
// Defaults

TEST(HostPlatform, TheBuiltInDefaultFindsNoHostAndOpensNothing) {
  on_fresh_thread([] {
    clsKestrune object;
    HostPlatform& platform = host_platform();
    EXPECT_EQ(platform.running_objects->find(u"Excel.Application"), nullptr);
    EXPECT_EQ(object.krHelpfilePath(), u"kestrune.chm");
    object.krABOUT();
    ASSERT_NE(loaded_frmAbout(), nullptr);
    loaded_frmAbout()->lblHyperlink_Click();
    loaded_frmAbout()->cmdOK_Click();
    EXPECT_EQ(loaded_frmAbout(), nullptr);
  });
}

TEST(HostPlatform, PosixTicksOnlyCountFailures) {
  on_fresh_thread([] {
    FakeMessageLoop clock;
    HostPlatform platform = make_posix_host_platform();
    platform.message_loop = clock.loop();
    install_host_platform(platform);
    clsKestrune object;
    clock.run_for(1h);
    EXPECT_EQ(loaded_frmGraphics()->failed_attempts(), 42);
    EXPECT_FALSE(loaded_frmGraphics()->Timer1.Enabled());
  });
}

TEST(AutomationObject, ReadAsAValueThroughItsDefaultMember) {
  on_fresh_thread([] {
    Scene scene;
    scene.host->odd_answers[""] = test::text(u"Microsoft Excel");
    const Variant application = Variant::object(scene.host->application());
    EXPECT_EQ(to_text(application), u"Microsoft Excel");
    EXPECT_EQ(scene.host->calls, std::vector<std::string>{"Application get "});
    EXPECT_THROW(as_automation_object(test::text(u"Application")), Failure);
  });
}

TEST(HostPlatform, InstalledPiecesAreCompletedFromTheDefault) {
  on_fresh_thread([] {
    auto shell = std::make_shared<FakeShell>();
    install_host_platform({nullptr, nullptr, nullptr, shell, nullptr});
    const HostPlatform& platform = host_platform();
    EXPECT_EQ(platform.shell, shell);
    EXPECT_NE(platform.message_loop, nullptr);
    EXPECT_NE(platform.running_objects, nullptr);
    EXPECT_NE(platform.component_location, nullptr);
    EXPECT_NE(platform.dialogs, nullptr);
  });
}

}  // namespace
}  // namespace kestrune
