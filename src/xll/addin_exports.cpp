// kestrune.xll's exports: the add-in's entry points the host calls by name, and one procedure
// per worksheet function. A procedure's C signature must take exactly the arguments its
// registration announces, so each is spelt out with its arity here; registration skips a
// procedure whose arity disagrees with the member table (the stand-in host's run then misses
// the function).
#include <array>

#include "xll/worksheet_functions.hpp"
#include "xll/xloper_values.hpp"

namespace {

using kestrune::xll::Xloper12;
using X = Xloper12*;

}  // namespace

#define KESTRUNE_XLL_EXPORT extern "C" __declspec(dllexport)

// Parameter and argument lists by arity.
#define KESTRUNE_PARAMETERS_0
#define KESTRUNE_ARGUMENTS_0
#define KESTRUNE_PARAMETERS_1 X a0
#define KESTRUNE_ARGUMENTS_1 a0
#define KESTRUNE_PARAMETERS_3 X a0, X a1, X a2
#define KESTRUNE_ARGUMENTS_3 a0, a1, a2
#define KESTRUNE_PARAMETERS_6 KESTRUNE_PARAMETERS_3, X a3, X a4, X a5
#define KESTRUNE_ARGUMENTS_6 KESTRUNE_ARGUMENTS_3, a3, a4, a5
#define KESTRUNE_PARAMETERS_9 KESTRUNE_PARAMETERS_6, X a6, X a7, X a8
#define KESTRUNE_ARGUMENTS_9 KESTRUNE_ARGUMENTS_6, a6, a7, a8
#define KESTRUNE_PARAMETERS_10 KESTRUNE_PARAMETERS_9, X a9
#define KESTRUNE_ARGUMENTS_10 KESTRUNE_ARGUMENTS_9, a9
// The list functions' 245: 24 groups of ten and five more.
#define KESTRUNE_TEN_PARAMETERS(g) \
  X g##0, X g##1, X g##2, X g##3, X g##4, X g##5, X g##6, X g##7, X g##8, X g##9
#define KESTRUNE_TEN_ARGUMENTS(g) g##0, g##1, g##2, g##3, g##4, g##5, g##6, g##7, g##8, g##9
#define KESTRUNE_GROUPS(each)                                                                \
  each(l0), each(l1), each(l2), each(l3), each(l4), each(l5), each(l6), each(l7), each(l8),  \
      each(l9), each(l10), each(l11), each(l12), each(l13), each(l14), each(l15), each(l16), \
      each(l17), each(l18), each(l19), each(l20), each(l21), each(l22), each(l23)
#define KESTRUNE_PARAMETERS_245 \
  KESTRUNE_GROUPS(KESTRUNE_TEN_PARAMETERS), X l240, X l241, X l242, X l243, X l244
#define KESTRUNE_ARGUMENTS_245 KESTRUNE_GROUPS(KESTRUNE_TEN_ARGUMENTS), l240, l241, l242, l243, l244

// The worksheet functions and their arities.
#define KESTRUNE_WORKSHEET_FUNCTIONS(procedure)                                               \
  procedure(krREGEX, 6) procedure(krSEARCH, 10) procedure(krREPLACE, 9)                       \
      procedure(krCOUNTINCELL, 3) procedure(krGETWORD, 6) procedure(krST, 3)                  \
          procedure(krCONCATULA, 1) procedure(krEXCLUDE, 245) procedure(krEXCLUDENOTNUM, 245) \
              procedure(krEXTRACT, 245) procedure(krEXTRACTNUM, 245) procedure(krVERSION, 0)  \
                  procedure(krTEST, 0)

#define KESTRUNE_DEFINE_PROCEDURE(name, arity)                                      \
  KESTRUNE_XLL_EXPORT Xloper12* WINAPI name(KESTRUNE_PARAMETERS_##arity) {          \
    static const kestrune::MemberInfo* const member = kestrune::find_member(#name); \
    const std::array<X, arity> arguments{KESTRUNE_ARGUMENTS_##arity};               \
    return kestrune::xll::call_worksheet_function(member, arguments);               \
  }
KESTRUNE_WORKSHEET_FUNCTIONS(KESTRUNE_DEFINE_PROCEDURE)

namespace {

#define KESTRUNE_LIST_PROCEDURE(name, arity) kestrune::xll::Procedure{#name, arity},
constexpr kestrune::xll::Procedure kProcedures[] = {
    KESTRUNE_WORKSHEET_FUNCTIONS(KESTRUNE_LIST_PROCEDURE)};

// xlAddInManagerInfo12's action that asks for the add-in's name.
constexpr double kAskName = 1;

}  // namespace

KESTRUNE_XLL_EXPORT int WINAPI xlAutoOpen() {
  kestrune::xll::register_functions(kProcedures);
  return 1;
}

KESTRUNE_XLL_EXPORT int WINAPI xlAutoClose() {
  kestrune::xll::unregister_functions();
  return 1;
}

KESTRUNE_XLL_EXPORT void WINAPI xlAutoFree12(Xloper12* result) {
  if (result != nullptr) kestrune::xll::free_result(*result);
}

KESTRUNE_XLL_EXPORT Xloper12* WINAPI xlAddInManagerInfo12(Xloper12* action) {
  using namespace kestrune;
  const Variant asked = action != nullptr ? xll::from_xloper(*action) : Variant();
  if (asked.is_numeric() && asked.numeric_value() == kAskName) {
    return xll::to_result(Variant::text(std::u16string(xll::kAddInName)));
  }
  return xll::to_result(Variant::error(worksheet_error::kValue));
}
