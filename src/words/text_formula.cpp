// krCONCATULA: one operation between two numbers, written as text ("5+3", "=2^10", "5>=3").
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "base/failure.hpp"
#include "search/search_memory.hpp"
#include "variant/calling_pattern.hpp"
#include "variant/conversions.hpp"
#include "variant/locale.hpp"
#include "words/search_mode_call.hpp"
#include "words/text_formula.hpp"

namespace kestrune {
namespace {

// The fourteen operators in the search syntax. At each position the alternatives are tried in
// this order, so a two-character operator is taken whole ("5>=3" is ">=", not ">").
constexpr std::u16string_view kOperatorPattern = u"(><|<>|>=|=>|<=|=<|+|-|\\^|\\*|/|=|<|>)";

enum class Operation {
  add,
  subtract,
  multiply,
  divide,
  power,
  equal,
  not_equal,
  less,
  greater,
  not_less,
  not_greater,
};

struct OperatorSpelling {
  std::u16string_view text;
  Operation operation;
};

constexpr OperatorSpelling kOperators[] = {
    {u"+", Operation::add},          {u"-", Operation::subtract},     {u"*", Operation::multiply},
    {u"/", Operation::divide},       {u"^", Operation::power},        {u"=", Operation::equal},
    {u"<>", Operation::not_equal},   {u"><", Operation::not_equal},   {u"<", Operation::less},
    {u">", Operation::greater},      {u">=", Operation::not_less},    {u"=>", Operation::not_less},
    {u"<=", Operation::not_greater}, {u"=<", Operation::not_greater},
};

Operation operation_written_as(std::u16string_view text) {
  for (const OperatorSpelling& spelling : kOperators) {
    if (spelling.text == text) return spelling.operation;
  }
  fail("not an operator");
}

// The formula and the operator pattern, passed alike to the three searches that cut it.
struct FormulaCuts {
  SearchMemory& memory;
  Variant formula;
  Variant pattern = Variant::text(std::u16string(kOperatorPattern));

  // One cut of the formula at its first operator. Each is a call with fresh missing arguments,
  // as a worksheet would make it.
  Variant part(ResultCode code) {
    Variant case_sensitive = Variant::missing(), from_left = Variant::missing();
    Variant not_found_return = Variant::missing();
    return search_mode_call(memory, formula, pattern, case_sensitive, code, from_left,
                            not_found_return);
  }

  // An operand, or none when its text is not a number (the empty text included).
  std::optional<double> operand(ResultCode code) {
    const Variant text = part(code);
    std::u16string storage;
    return parse_number(to_text_view(text, storage), decimal_separator());
  }
};

// The one guarded operation: a power without a real value (a negative base and a fractional
// exponent) or beyond the range of a double, 0 raised to a negative power included. The
// operands are always finite, so a result that is not finite is such a power.
double power(double base, double exponent) {
  const double value = std::pow(base, exponent);
  if (!std::isfinite(value)) fail(FailureKind::invalid_call, "the power has no value");
  return value;
}

Variant evaluate(Operation operation, double a, double b) {
  switch (operation) {
    case Operation::add:
      return Variant::number(a + b);
    case Operation::subtract:
      return Variant::number(a - b);
    case Operation::multiply:
      return Variant::number(a * b);
    case Operation::divide:
      return Variant::number(a / b);
    case Operation::power:
      return Variant::number(power(a, b));
    case Operation::equal:
      return Variant::boolean(a == b);
    case Operation::not_equal:
      return Variant::boolean(a != b);
    case Operation::less:
      return Variant::boolean(a < b);
    case Operation::greater:
      return Variant::boolean(a > b);
    case Operation::not_less:
      return Variant::boolean(a >= b);
    case Operation::not_greater:
      return Variant::boolean(a <= b);
  }
  fail("not an operator");
}

}  // namespace

Variant evaluate_text_formula(SearchMemory& memory, Variant& text_formula) {
  return answer_or_value_error([&] {
    std::u16string formula = to_text(text_formula);
    if (formula.starts_with(u'=')) formula.erase(0, 1);
    FormulaCuts cuts{memory, Variant::text(std::move(formula))};
    const std::u16string operator_text = to_text(cuts.part(ResultCode::window_text));
    const std::optional<double> a = cuts.operand(ResultCode::text_before);
    const std::optional<double> b = cuts.operand(ResultCode::text_after);
    // A column of formulas has many that are not numbers on both sides; answered here rather
    // than raised, as raising costs more than the whole evaluation.
    if (!a || !b) return value_error_answer();
    return evaluate(operation_written_as(operator_text), *a, *b);
  });
}

}  // namespace kestrune
