#include "host/function_descriptions.hpp"

#include <array>
#include <string>

#include "base/utf8.hpp"
#include "variant/conversions.hpp"

namespace kestrune {
namespace {

// The add-in's file name as the host lists it; compared whole and in the same case.
constexpr std::u16string_view kCompanionAddIn = u"kestrune.xla";
constexpr std::u16string_view kCategory = u"kestrune";

// MacroOptions takes the macro as argument 1, the description as 2 and the category as 7.
constexpr std::size_t kMacroOptionsArguments = 7;

// Holds the host's alerts and repainting off, and switches them back on.
class QuietHost {
 public:
  explicit QuietHost(const AutomationObject& host) : host_(host) {}
  QuietHost(const QuietHost&) = delete;
  QuietHost& operator=(const QuietHost&) = delete;
  // On a failure after hold(): both back on, each whatever the other does.
  ~QuietHost() {
    if (!held_) return;
    switch_on_quietly(u"DisplayAlerts");
    switch_on_quietly(u"ScreenUpdating");
  }

  void hold() {
    host_.put(u"DisplayAlerts", Variant::boolean(false));
    held_ = true;
    host_.put(u"ScreenUpdating", Variant::boolean(false));
  }
  void release() {
    host_.put(u"DisplayAlerts", Variant::boolean(true));
    host_.put(u"ScreenUpdating", Variant::boolean(true));
    held_ = false;
  }

 private:
  void switch_on_quietly(std::u16string_view setting) noexcept {
    try {
      host_.put(setting, Variant::boolean(true));
    } catch (...) {  // the run is failing already; the host may be gone
    }
  }

  const AutomationObject& host_;
  bool held_ = false;
};

// Walks every add-in to the end of the list; there is no early exit.
bool companion_installed(const AutomationObject& host) {
  bool found = false;
  as_automation_object(host.get(u"addins"))->for_each([&found](const Variant& item) {
    const auto addin = as_automation_object(item);
    if (to_text(addin->get(u"Name")) == kCompanionAddIn && to_truth(addin->get(u"installed"))) {
      found = true;
    }
  });
  return found;
}

void send_description(const AutomationObject& host, std::u16string_view macro,
                      std::u16string_view text) {
  std::array<CallArgument, kMacroOptionsArguments> arguments;
  for (CallArgument& argument : arguments) argument.value = Variant::missing();
  arguments.front().value =
      Variant::text(u"'" + std::u16string(kCompanionAddIn) + u"'!" + std::u16string(macro));
  arguments[1].value = Variant::text(std::u16string(text));
  arguments.back().value = Variant::text(std::u16string(kCategory));
  host.call(u"MacroOptions", arguments);
}

void send_descriptions(const AutomationObject& host,
                       std::span<const MacroDescription> descriptions) {
  for (const MacroDescription& description : descriptions) {
    send_description(host, from_utf8(description.macro), from_utf8(description.text));
  }
}

}  // namespace

void describe_functions(const AutomationObject& host,
                        std::span<const MacroDescription> descriptions) {
  QuietHost quiet(host);
  quiet.hold();
  if (companion_installed(host)) send_descriptions(host, descriptions);
  quiet.release();
}

}  // namespace kestrune
