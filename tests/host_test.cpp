// Host integration: the hidden form's timer and the description run it starts, the help file's path
// and the About dialog, each driven through fakes of the thread's platform (a clock moved by hand,
// a spreadsheet host that records every call, a registry and a shell).
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
#include <utility>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "base/failure.hpp"
#include "base/utf8.hpp"
#include "expected_descriptions.hpp"
#include "host/frm_about.hpp"
#include "host/frm_graphics.hpp"
#include "host/host_platform.hpp"
#include "host/pumped_message_loop.hpp"
#include "platform/posix/posix_host_platform.hpp"
#include "test_support.hpp"
#include "variant/conversions.hpp"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;
using TimePoint = PumpedMessageLoop::TimePoint;
using Calls = std::vector<std::string>;
using AddIn = std::pair<Variant, Variant>;  // its Name and Installed

// Forms and their failed-lookup count belong to the thread: each scene runs on a fresh one.
template <class Scenario>
void on_fresh_thread(Scenario scenario) {
  std::thread([&scenario] {
    try {
      scenario();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "the scene raised: " << e.what();
    }
  }).join();
}

std::string lower(std::u16string_view name) {
  std::string out = to_utf8(name);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

AddIn addin(std::u16string name, bool installed) {
  return {Variant::text(std::move(name)), Variant::boolean(installed)};
}

class FakeHostObject;

// The thread's whole platform, faked: a clock moved by hand with the thread's loop on it, and a
// running spreadsheet host with the companion add-in installed among others. The host matches
// member names in any case, records every call as "<object> <get|put|call|next> <member as
// called>[ <value>]", answers from `odd_answers` (by lower-case member; "addinN" for the list's Nth
// item) where it holds one, and fails call number `failing_call` (from 0), or, once `gone`, every
// call from that one on.
struct Scene final : RunningObjects, ComponentLocation, Shell {
  TimePoint clock{};
  std::shared_ptr<PumpedMessageLoop> loop =
      std::make_shared<PumpedMessageLoop>([this] { return clock; });
  // The host.
  std::vector<AddIn> addins = {addin(u"analys32.xll", true), addin(u"kestrune.xla", true),
                               addin(u"solver.xlam", false)};
  std::map<std::string, Variant> odd_answers;
  std::optional<std::size_t> failing_call;
  bool gone = false;
  Calls calls;
  std::vector<std::vector<Variant>> described;  // each MacroOptions call's argument values
  // The table of running applications: the host is in it from a given moment (never, when unset),
  // or reading it breaks.
  std::optional<Ms> reachable_from = 0ms;
  bool broken = false;
  std::vector<Ms> lookups;
  // The registry and the shell.
  std::optional<std::u16string> record;
  std::u16string module_path;
  Calls opened;

  Scene() {
    // Not owned: a scene lives as long as the thread it was made for uses it.
    std::shared_ptr<Scene> self(this, [](Scene*) {});
    install_host_platform({loop, self, self, self, nullptr});
  }
  Ms now() const { return std::chrono::duration_cast<Ms>(clock - TimePoint{}); }
  // Moves the clock on, dispatching every tick on the way at its own moment.
  void run_for(Ms span) {
    const TimePoint end = clock + span;
    for (auto due = loop->next_tick(); due && *due <= end; due = loop->next_tick()) {
      clock = std::max(clock, *due);
      loop->pump();
    }
    clock = end;
  }
  // Creates an object and runs the loop until long after every possible retry.
  void create_and_settle() {
    clsKestrune object;
    run_for(1h);
  }
  const frmGraphics& form() const { return *loaded_frmGraphics(); }

  void enter(std::string call) {
    calls.push_back(std::move(call));
    const std::size_t index = calls.size() - 1;
    if (failing_call && (index == *failing_call || (gone && index > *failing_call))) {
      fail("refused");
    }
  }
  std::optional<Variant> odd_answer(const std::string& key) const {
    const auto it = odd_answers.find(key);
    return it == odd_answers.end() ? std::nullopt : std::optional(it->second);
  }
  Variant object(std::string name, std::size_t index = 0);

  std::shared_ptr<const AutomationObject> find(std::u16string_view class_name) override {
    lookups.push_back(now());
    if (broken) fail("the running object table cannot be read");
    if (class_name != u"Excel.Application" || !reachable_from || now() < *reachable_from) {
      return nullptr;
    }
    return as_automation_object(object("Application"));
  }
  std::optional<std::u16string> registration_record(std::u16string_view key) override {
    return key == u"CLSID\\{2D935A7D-6081-4348-BEA1-CA0EA9759BB3}"
                  u"\\InprocServer32"
               ? record
               : std::nullopt;
  }
  std::u16string loaded_module_path() override { return module_path; }
  void open(WindowHandle owner, std::u16string_view verb, std::u16string_view target,
            ShowCommand show) noexcept override {
    opened.push_back(std::to_string(owner) + " " + to_utf8(verb) + " " + to_utf8(target) + " " +
                     std::to_string(int(show)));
  }
};

// An object of the scene's host.
class FakeHostObject final : public AutomationObject {
 public:
  FakeHostObject(Scene& scene, std::string name, std::size_t index)
      : scene_(scene), name_(std::move(name)), index_(index) {}

  Variant get(std::u16string_view member) const override {
    scene_.enter(name_ + " get " + to_utf8(member));
    const std::string key = lower(member);
    if (auto odd = scene_.odd_answer(key)) return *odd;
    if (key == "addins") return scene_.object("AddIns");
    if (key == "name") return scene_.addins.at(index_).first;
    if (key == "installed") return scene_.addins.at(index_).second;
    fail("unknown name");
  }
  void put(std::u16string_view member, const Variant& value) const override {
    scene_.enter(name_ + " put " + to_utf8(member) + " " + to_utf8(to_text(value)));
  }
  Variant call(std::u16string_view member, std::span<const CallArgument> arguments) const override {
    scene_.enter(name_ + " call " + to_utf8(member));
    if (lower(member) != "macrooptions") fail("unknown name");
    std::vector<Variant>& values = scene_.described.emplace_back();
    for (const CallArgument& argument : arguments) {
      EXPECT_TRUE(argument.name.empty()) << "positional arguments only";
      values.push_back(argument.value);
    }
    return scene_.odd_answer("macrooptions").value_or(Variant());
  }
  void for_each(const std::function<void(const Variant&)>& visit) const override {
    for (std::size_t i = 0; i < scene_.addins.size(); ++i) {
      scene_.enter(name_ + " next");
      const std::string item = "AddIn" + std::to_string(i + 1);
      visit(scene_.odd_answer(lower(from_utf8(item))).value_or(scene_.object(item, i)));
    }
    scene_.enter(name_ + " next");  // the end of the list
  }

 private:
  Scene& scene_;
  std::string name_;
  std::size_t index_;
};

Variant Scene::object(std::string name, std::size_t index) {
  return Variant::object(std::make_shared<FakeHostObject>(*this, std::move(name), index));
}

// ---------------------------------------------------------------------------------------------
// The description run

const Calls kRestore = {"Application put DisplayAlerts True",
                        "Application put ScreenUpdating True"};

Calls full_run_calls() {
  Calls calls = {"Application put DisplayAlerts False",
                 "Application put ScreenUpdating False",
                 "Application get addins",
                 "AddIns next",
                 "AddIn1 get Name",
                 "AddIns next",
                 "AddIn2 get Name",
                 "AddIn2 get installed",
                 "AddIns next",
                 "AddIn3 get Name",
                 "AddIns next"};
  calls.insert(calls.end(), 13, "Application call MacroOptions");
  calls.insert(calls.end(), kRestore.begin(), kRestore.end());
  return calls;
}

// The host received `rows` descriptions: the thirteen in order, and over again.
void expect_descriptions(const Scene& scene, std::size_t rows) {
  ASSERT_EQ(scene.described.size(), rows);
  for (std::size_t row = 0; row < rows; ++row) {
    EXPECT_EQ(scene.described[row], test::expected_macro_options(row % 13)) << "row " << row + 1;
  }
}

TEST(DescriptionRun, EachCreationGivesTheHostEveryDescriptionHalfASecondLater) {
  on_fresh_thread([] {
    Scene scene;
    clsKestrune first;
    scene.run_for(300ms);
    clsKestrune second;  // the countdown starts again
    scene.run_for(499ms);
    EXPECT_TRUE(scene.lookups.empty()) << "nothing runs before the first tick";
    scene.run_for(1h);
    EXPECT_EQ(scene.lookups, std::vector<Ms>{800ms});
    EXPECT_EQ(scene.calls, full_run_calls());
    expect_descriptions(scene, 13);
    scene.create_and_settle();
    expect_descriptions(scene, 26);
  });
}

struct ScheduleCase {
  std::optional<Ms> reachable_from;
  bool broken;
  std::size_t lookups;
  int failed;
  // The next object's first try, the host being gone, leaves:
  int failed_next;
  bool still_on;
  Ms next_interval;
};

// Tries half a second apart, after the 20th failure five seconds apart, giving up at the 42nd; the
// count of failures carries over to the next object, which tries again once.
TEST(DescriptionRun, RetriesOnASlowingScheduleAndGivesUpAtTheFortySecondFailure) {
  const ScheduleCase cases[] = {
      {0ms, false, 1, 0, 1, true, 500ms},       {9800ms, false, 20, 19, 20, true, 5000ms},
      {118s, false, 42, 41, 42, false, 5000ms}, {std::nullopt, false, 42, 42, 43, false, 5000ms},
      {0ms, true, 1, 0, 0, false, 500ms},  // a broken lookup: no count, no retry
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.lookups << " lookups, broken " << c.broken);
    on_fresh_thread([&c] {
      Scene scene;
      scene.reachable_from = c.reachable_from;
      scene.broken = c.broken;
      scene.create_and_settle();
      std::vector<Ms> schedule;
      for (Ms at = 0ms; schedule.size() < c.lookups;) {
        schedule.push_back(at += schedule.size() < 20 ? 500ms : 5000ms);
      }
      EXPECT_EQ(scene.lookups, schedule);
      EXPECT_EQ(scene.form().failed_attempts(), c.failed);
      expect_descriptions(scene, c.reachable_from && !c.broken ? 13 : 0);
      EXPECT_EQ(scene.loop->next_tick(), std::nullopt);

      scene.reachable_from.reset();
      clsKestrune object;
      const Ms created = scene.now();
      scene.run_for(500ms);
      EXPECT_EQ(scene.lookups.back(), created + 500ms);
      EXPECT_EQ(scene.form().failed_attempts(), c.failed_next);
      EXPECT_EQ(scene.form().Timer1.Enabled(), c.still_on);
      EXPECT_EQ(scene.form().Timer1.Interval(), c.next_interval);
      const TimePoint next = TimePoint{} + created + 500ms + c.next_interval;
      EXPECT_EQ(scene.loop->next_tick(), c.still_on ? std::optional(next) : std::nullopt);
    });
  }
}

TEST(DescriptionRun, TheCountStopsAtItsLimitInsteadOfOverflowing) {
  on_fresh_thread([] {
    Scene scene;
    scene.reachable_from.reset();
    scene.create_and_settle();
    for (int made = 0; made < 40000 && scene.form().failed_attempts() < 32767; ++made) {
      scene.create_and_settle();
    }
    ASSERT_EQ(scene.form().failed_attempts(), 32767);
    const std::size_t tries = scene.lookups.size();
    scene.create_and_settle();
    EXPECT_EQ(scene.lookups.size(), tries + 1);
    EXPECT_EQ(scene.form().failed_attempts(), 32767);
    EXPECT_FALSE(scene.form().Timer1.Enabled());
  });
}

struct HostContentCase {
  const char* name;
  std::vector<AddIn> addins;  // none: the scene's
  std::map<std::string, Variant> odd_answers;
  std::size_t rows;
};

TEST(DescriptionRun, OnlyTheInstalledCompanionAddInIsDescribedAndOddAnswersEndTheRun) {
  const HostContentCase cases[] = {
      {"named in another case", {addin(u"KESTRUNE.XLA", true)}, {}, 0},
      {"listed, not installed", {addin(u"kestrune.xla", false)}, {}, 0},
      {"installed on its second listing",
       {addin(u"kestrune.xla", false), addin(u"kestrune.xla", true)},
       {},
       13},
      {"installed as the text True", {{test::text(u"kestrune.xla"), test::text(u"True")}}, {}, 13},
      {"add-ins as a text", {}, {{"addins", test::text(u"AddIns")}}, 0},
      {"add-ins as a foreign object", {}, {{"addins", test::cell(test::number(1))}}, 0},
      {"an add-in that is a number", {}, {{"addin1", test::number(1)}}, 0},
      {"installed as a word", {}, {{"installed", test::text(u"yes")}}, 0},
      {"MacroOptions answers an error: not looked at", {}, {{"macrooptions", test::kNA}}, 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    on_fresh_thread([&c] {
      Scene scene;
      if (!c.addins.empty()) scene.addins = c.addins;
      scene.odd_answers = c.odd_answers;
      scene.create_and_settle();
      expect_descriptions(scene, c.rows);
      ASSERT_GE(scene.calls.size(), 2u);
      EXPECT_EQ(Calls(scene.calls.end() - 2, scene.calls.end()), kRestore);
      EXPECT_EQ(scene.lookups.size(), 1u);
    });
  }
}

TEST(DescriptionRun, AFailedHostCallEndsTheRunAndSwitchesTheHostBackOn) {
  const Calls full_run = full_run_calls();
  for (const bool gone : {false, true}) {
    for (std::size_t failing = 0; failing < full_run.size(); ++failing) {
      SCOPED_TRACE((gone ? "gone from " : "refused ") + full_run[failing] + " #" +
                   std::to_string(failing));
      on_fresh_thread([&] {
        Scene scene;
        scene.failing_call = failing;
        scene.gone = gone;
        scene.create_and_settle();
        const auto failed = full_run.begin() + std::ptrdiff_t(failing);
        expect_descriptions(scene, std::size_t(std::count(full_run.begin(), failed,
                                                          "Application call MacroOptions")));
        // As usual up to the failed call; then, once alerts were off, both are switched on.
        Calls expected(full_run.begin(), failed + 1);
        if (failing > 0) expected.insert(expected.end(), kRestore.begin(), kRestore.end());
        EXPECT_EQ(scene.calls, expected);
        EXPECT_FALSE(scene.form().Timer1.Enabled());
        EXPECT_EQ(scene.lookups.size(), 1u) << "no retry until the next object";
        EXPECT_EQ(scene.form().failed_attempts(), 0);
      });
    }
  }
}

// Ticks missed while nobody pumped run once; the next is one interval after that.
TEST(PumpedMessageLoop, TicksOnlyWhenPumpedAndDueMergingMissedTicks) {
  TimePoint now{};
  PumpedMessageLoop loop([&now] { return now; });
  std::vector<Ms> ticks;
  loop.start_timer(500ms,
                   [&] { ticks.push_back(std::chrono::duration_cast<Ms>(now - TimePoint{})); });
  for (const Ms step : {499ms, 1ms, 0ms, 1000ms}) {
    now += step;
    loop.pump();
  }
  EXPECT_EQ(ticks, (std::vector<Ms>{500ms, 1500ms}));
  EXPECT_EQ(loop.next_tick(), TimePoint{} + 2000ms);
  loop.stop_timer();
  EXPECT_EQ(loop.next_tick(), std::nullopt);
  loop.start_timer(0ms, [] {});  // no interval: no timer
  EXPECT_EQ(loop.next_tick(), std::nullopt);
}

// ---------------------------------------------------------------------------------------------
// The help file's path

struct HelpPathCase {
  std::optional<std::u16string> record;
  std::u16string module_path;
  std::u16string expected;
};

TEST(HelpfilePath, BesideTheRegisteredComponentFileElseTheLoadedModule) {
  const HelpPathCase cases[] = {
      {u"C:\\Tools\\Addins\\kestrune.dll", u"", u"C:\\Tools\\Addins\\kestrune.chm"},
      {u"C:\\Program Files\\kestrune\\kestrune64.dll", u"",
       u"C:\\Program Files\\kestrune\\kestrune.chm"},  // any file name
      {u"Z:\\home\\user/addins/kestrune.dll", u"", u"Z:\\home\\user/addins/kestrune.chm"},
      {u"kestrune.dll", u"", u"kestrune.chm"},  // no folder: the current one
      {std::nullopt, u"C:\\Addins\\kestrune.dll", u"C:\\Addins\\kestrune.chm"},
      {u"", u"/usr/lib/libkestrune.so", u"/usr/lib/kestrune.chm"},
      {std::nullopt, u"", u"kestrune.chm"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(to_utf8(c.record.value_or(u"(unreadable)")));
    on_fresh_thread([&c] {
      Scene scene;
      scene.record = c.record;
      scene.module_path = c.module_path;
      EXPECT_EQ(to_utf8(clsKestrune().krHelpfilePath()), to_utf8(c.expected));
    });
  }
}

TEST(HelpfilePath, OnPosixBesideTheLoadedModule) {
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
  const std::string expected = (program.parent_path() / "kestrune.chm").string();
  on_fresh_thread([&expected] {
    install_host_platform(make_posix_host_platform());
    EXPECT_EQ(to_utf8(clsKestrune().krHelpfilePath()), expected);
  });
  // Made the process's default, it serves threads that install nothing.
  install_default_host_platform(&make_posix_host_platform);
  on_fresh_thread([&expected] { EXPECT_EQ(to_utf8(clsKestrune().krHelpfilePath()), expected); });
  install_default_host_platform(nullptr);
  on_fresh_thread([] { EXPECT_EQ(clsKestrune().krHelpfilePath(), u"kestrune.chm"); });
}

// ---------------------------------------------------------------------------------------------
// The About dialog and the defaults

// The dialog's window is the platform's (checked under Wine); here the default, windowless one.
TEST(AboutDialog, ShowsOneDialogPerThreadWithItsLinkUntilOK) {
  on_fresh_thread([] {
    Scene scene;
    clsKestrune object;
    object.krABOUT();
    frmAbout* dialog = loaded_frmAbout();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->Visible());
    EXPECT_EQ(dialog->lblHyperlink.Caption, u"https://www.kestrune.com");
    EXPECT_EQ(dialog->lblHyperlink.MouseIcon, &load_frmGraphics().hand_cursor());
    EXPECT_EQ(dialog->lblHyperlink.mouse_pointer, MousePointer::custom);
    EXPECT_EQ(dialog->cmdOK.Caption, u"OK");
    EXPECT_EQ(dialog->lblCopyright.Caption, u"kestrune 1.0");

    dialog->Caption = u"moved on";  // to see whether Form_Load runs again
    object.krABOUT();
    ASSERT_EQ(loaded_frmAbout(), dialog);
    EXPECT_EQ(dialog->Caption, u"moved on") << "the shown dialog is only brought forward";
    dialog->lblHyperlink_Click();
    EXPECT_EQ(scene.opened, Calls{"0 open https://www.kestrune.com 3"});
    EXPECT_EQ(loaded_frmAbout(), dialog) << "the link leaves the dialog open";

    dialog->cmdOK_Click();
    EXPECT_EQ(loaded_frmAbout(), nullptr);
    clsKestrune().krABOUT();
    ASSERT_NE(loaded_frmAbout(), nullptr);
    EXPECT_EQ(loaded_frmAbout()->Caption, u"About kestrune");
  });
}

TEST(HostPlatform, InstalledPiecesAreCompletedFromTheDefaultWhichFindsNoHost) {
  on_fresh_thread([] {
    Scene scene;
    install_host_platform({scene.loop, nullptr, nullptr, nullptr, nullptr});
    clsKestrune object;
    scene.run_for(1h);
    EXPECT_EQ(loaded_frmGraphics()->failed_attempts(), 42);
    EXPECT_EQ(object.krHelpfilePath(), u"kestrune.chm");
  });
}

}  // namespace
}  // namespace kestrune
