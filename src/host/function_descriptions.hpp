// The description run: gives the running host a description and the category "kestrune"
// for each worksheet function of the companion add-in, when that add-in is installed.
//
//   describe_functions(*host, descriptions);   // raises when a host call fails, after
//                                              // restoring the host
#pragma once

#include <span>
#include <string_view>

#include "host/automation_object.hpp"

namespace kestrune {

// The class name the running host is registered under.
inline constexpr std::u16string_view kHostClassName = u"Excel.Application";

// One macro of the companion add-in and the text the host shows for it (UTF-8).
struct MacroDescription {
  std::string_view macro;
  std::string_view text;
};

// With the host's alerts and repainting held off: walks its add-ins and, when the companion
// add-in is among them and installed, sends the descriptions in order; then switches alerts
// and repainting back on. A failed host call ends the run with a Failure, after switching them
// back on where they were switched off.
void describe_functions(const AutomationObject& host,
                        std::span<const MacroDescription> descriptions);

}  // namespace kestrune
