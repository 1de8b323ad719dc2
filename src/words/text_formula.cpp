// krCONCATULA: one operation between two numbers, written as text ("5+3", "=2^10", "5>=3").
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "base/failure.hpp"
#include "regexp/regexp.hpp"
#include "search/search_memory.hpp"
#include "variant/calling_pattern.hpp"
#include "variant/conversions.hpp"
#include "variant/locale.hpp"
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

// The formula cut at its first operator: the text before it, the operator, the text after it.
struct FormulaCut {
  std::u16string_view before;
  std::u16string_view operator_text;
  std::u16string_view after;
};

// What three searches of the formula would answer (the text before the first operator, the
// operator, the text after it), from one: case-sensitive, from the left, with the object's
// memory, whose translation of the operators is made once.
std::optional<FormulaCut> cut_at_first_operator(SearchMemory& memory, std::u16string_view formula) {
  memory.pattern_for(kOperatorPattern, u"", u"");
  RegExp& re = memory.matcher_for_pattern(/*ignore_case=*/false);
  re.Global = false;
  const MatchCollection matches = re.Execute(formula);
  if (matches.Count() == 0) return std::nullopt;
  const Match& op = matches.Item(0);
  return FormulaCut{formula.substr(0, op.FirstIndex), op.Value,
                    formula.substr(op.FirstIndex + op.Length)};
}

// An operand, or none when its text is not a number (the empty text included).
std::optional<double> operand(std::u16string_view text) {
  return parse_number(text, decimal_separator());
}

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
    std::u16string storage;
    std::u16string_view formula = to_text_view(text_formula, storage);
    if (formula.starts_with(u'=')) formula.remove_prefix(1);
    const std::optional<FormulaCut> cut = cut_at_first_operator(memory, formula);
    // A formula without an operator has no operands either.
    if (!cut) return value_error_answer();
    const std::optional<double> a = operand(cut->before);
    const std::optional<double> b = operand(cut->after);
    // A column of formulas has many that are not numbers on both sides; answered here rather
    // than raised, as raising costs more than the whole evaluation.
    if (!a || !b) return value_error_answer();
    return evaluate(operation_written_as(cut->operator_text), *a, *b);
  });
}

}  // namespace kestrune
