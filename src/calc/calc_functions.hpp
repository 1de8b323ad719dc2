// The worksheet functions as LibreOffice Calc sees them, derived from the member table: which
// members become Calc functions, and the texts generated from them at build time (the UNO
// interface's IDL and the component's forwarding methods).
//
//   for (const MemberInfo* member : calc_functions()) ...
//   std::string idl = calc_interface_idl();   // written to kestrune_functions.idl
//
// The implementation name and the method names are stored in every document that calls a
// function (as ORG.KESTRUNE.FUNCTIONS.krSEARCH): they must never change.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "automation/member_table.hpp"

namespace kestrune::calc {

inline constexpr std::string_view kImplementationName = "org.kestrune.Functions";
// The UNO interface whose methods are the functions, and its IDL module path.
inline constexpr std::string_view kInterfaceName = "org.kestrune.XFunctions";
inline constexpr std::string_view kAddInService = "com.sun.star.sheet.AddIn";
// Calc has a fixed list of categories and files any other name under this one.
inline constexpr std::string_view kCategory = "Add-In";
inline constexpr std::string_view kCategoryDisplayName = "kestrune";

// The members that are Calc functions, in slot order: the add-in's worksheet functions and
// Reverse, which Calc has no function for.
const std::vector<const MemberInfo*>& calc_functions();
// By name in any letter case; nullptr when the member is no Calc function.
const MemberInfo* find_calc_function(std::string_view name);

// The IDL of the interface: one method per function, every argument an `any` (a list member's
// one argument a `sequence<any>`, which Calc fills with the call's arguments), every result an
// `any`.
std::string calc_interface_idl();
// The component's methods, forwarding each to its member by its position in members(); read
// into the body of the class that implements the generated interface.
std::string calc_forwarding_methods();

}  // namespace kestrune::calc
