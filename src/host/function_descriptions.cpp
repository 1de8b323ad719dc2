#include "host/function_descriptions.hpp"

#include <array>
#include <string>

#include "automation/conversions.hpp"

namespace kestrune {
namespace {

// The add-in's file name as the host lists it; compared whole and in the same case.
constexpr std::u16string_view kCompanionAddIn = u"kestrune.xla";
constexpr std::u16string_view kCategory = u"kestrune";

struct Description {
  std::u16string_view macro;
  std::u16string_view text;
};

// The texts are sent exactly as they stand; stored workbooks' users have seen them so.
constexpr std::array<Description, 13> kDescriptions{{
    {u"'kestrune.xla'!krSEARCH", u"Extremely versatile and flexible text search."},
    {u"'kestrune.xla'!krREPLACE", u"Extremely versatile and flexible text replacement."},
    {u"'kestrune.xla'!krCOUNTINCELL",
     u"Counts the occurrences of a given string in a worksheet cell, or within in any text "
     u"string, allowing versatile and flexible criteria."},
    {u"'kestrune.xla'!krGETWORD",
     u"Returns the nth word in a string, with allowing versatile and flexible criteria for word "
     u"separators."},
    {u"'kestrune.xla'!krEXCLUDE", u"Excludes undesired characters from text."},
    {u"'kestrune.xla'!krEXCLUDENOTNUM",
     u"Excludes non-numeric and other undesired characters and/or digits from text."},
    {u"'kestrune.xla'!krEXTRACT", u"Retrieves desired characters from text."},
    {u"'kestrune.xla'!krEXTRACTNUM", u"Retrieves numeric and other desired characters from text."},
    {u"'kestrune.xla'!krST", u"Returns the English ordinal indicator of a cardinal number."},
    {u"'kestrune.xla'!krCONCATULA",
     u"Evaluates a concatenated formula, or any other all-text formula in which the operator is "
     u"text."},
    {u"'kestrune.xla'!krTEST", u"Determines whether kestrune is working properly."},
    {u"'kestrune.xla'!krVERSION", u"Returns the version number of kestrune."},
    {u"'kestrune.xla'!More_Information",
     u"For more information on kestrune worksheet functions, go to the Tools menu and choose "
     u"'kestrune' | 'kestrune Help and Function Reference'. Or, browse to "
     u"https://www.kestrune.com and click on 'Function Reference'."},
}};

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

void send_descriptions(const AutomationObject& host) {
  for (const Description& row : kDescriptions) {
    std::array<CallArgument, kMacroOptionsArguments> arguments;
    for (CallArgument& argument : arguments) argument.value = Variant::missing();
    arguments.front().value = Variant::text(std::u16string(row.macro));
    arguments[1].value = Variant::text(std::u16string(row.text));
    arguments.back().value = Variant::text(std::u16string(kCategory));
    host.call(u"MacroOptions", arguments);
  }
}

}  // namespace

void describe_functions(const AutomationObject& host) {
  QuietHost quiet(host);
  quiet.hold();
  if (companion_installed(host)) send_descriptions(host);
  quiet.release();
}

}  // namespace kestrune
