// The command line: the call syntax, plain and JSON output, evaluation through the dispatch
// table, and the program's exit statuses.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "automation/member_table.hpp"
#include "base/utf8.hpp"
#include "call_table.hpp"
#include "cli/call_parser.hpp"
#include "cli/evaluate.hpp"
#include "cli/output.hpp"
#include "test_support.hpp"
#include "variant_printer.hpp"

namespace kestrune::cli {
namespace {

struct ValueCase {
  const char* written;
  const char* json;
};

TEST(CallSyntax, Values) {
  const ValueCase cases[] = {
      {R"("text")", R"("text")"},
      {R"("say ""hi""")", R"("say \"hi\"")"},
      {"-12.5", "-12.5"},
      {"1E+20", "1e+20"},
      {".5", "0.5"},
      {"EMPTY", "null"},
      {"null", R"({"null":true})"},
      {"#N/A", R"({"error":"#N/A"})"},
      {"#div/0!", R"({"error":"#DIV/0!"})"},
      {"{1,2;3,4}", R"({"array":[[1,2],[3,4]],"lbound":[1,1]})"},
      {"CELL(5)", R"({"cell":5})"},
      {"cell({1;2})", R"({"cell":{"array":[[1],[2]],"lbound":[1,1]}})"},
      {" \"x\" ", R"("x")"},
  };
  for (const auto& c : cases) {
    std::string error;
    const Variant value = parse_value(from_utf8(c.written), error);
    EXPECT_EQ(error, "") << c.written;
    EXPECT_EQ(format_json(value), c.json) << c.written;
  }
}

TEST(CallSyntax, Unreadable) {
  const char* cases[] = {
      "",
      "krSEARCH",
      "krSEARCH(",
      "krSEARCH(\"a\"",
      "krSEARCH(\"a)",
      "krSEARCH(1 2)",
      "krSEARCH(abc)",
      "krSEARCH({1,2;3})",
      "krSEARCH(#WHAT)",
      "krSEARCH(1) extra",
      "(1)",
      "krSEARCH(1.2.3)",
      "krSEARCH(CELL(1)",
  };
  for (const char* c : cases) {
    EXPECT_NE(parse_call(from_utf8(c)).error, "") << c;
  }
}

// A call's arguments and its array elements are capped; the caps themselves are readable.
std::string list_call(std::size_t arguments) {
  return "krEXCLUDE(" + std::string(arguments - 1, ',') + ")";
}

// An array of `rows` rows of `columns` ones.
std::string ones(std::size_t rows, std::size_t columns) {
  std::string row = "1";
  for (std::size_t c = 1; c < columns; ++c) row += ",1";
  std::string array = "{" + row;
  for (std::size_t r = 1; r < rows; ++r) array += ";" + row;
  return array + "}";
}

// "1" inside `depth` pairs of `open` and `close`.
std::string nested(const std::string& open, const std::string& close, int depth) {
  std::string opened, closed;
  for (int level = 0; level < depth; ++level) opened += open, closed += close;
  return opened + "1" + closed;
}

TEST(CallSyntax, Caps) {
  const std::size_t side = 1024;  // side * side == kMaxArrayElements
  static_assert(1024 * 1024 == kMaxArrayElements);
  const struct {
    const char* name;
    std::string call;
    bool readable;
  } cases[] = {
      {"the most arguments", list_call(kMaxArguments), true},
      {"one argument more", list_call(kMaxArguments + 1), false},
      {"the most elements", "krEXCLUDE(" + ones(side, side) + ")", true},
      {"one element more, in another array", "krEXCLUDE(" + ones(side, side) + ", {1})", false},
      {"the deepest arrays", "krEXCLUDE(" + nested("{", "}", kMaxNesting) + ")", true},
      {"one array deeper", "krEXCLUDE(" + nested("{", "}", kMaxNesting + 1) + ")", false},
      {"the deepest cells", "krEXCLUDE(" + nested("CELL(", ")", kMaxNesting) + ")", true},
      {"one cell deeper", "krEXCLUDE(" + nested("CELL(", ")", kMaxNesting + 1) + ")", false},
      // Refused before the parser recurses that deep.
      {"100,000 open cells", "krSEARCH(" + nested("CELL(", "", 100'000), false},
      {"100,000 open arrays", "krSEARCH(" + nested("{", "", 100'000), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parse_call(from_utf8(c.call)).error.empty(), c.readable) << c.name;
  }
}

TEST(CallSyntax, OmittedArgumentsAreMissingMarkers) {
  const ParsedCall call = parse_call(u"krSEARCH(\"a\", , 3,)");
  ASSERT_EQ(call.error, "");
  ASSERT_EQ(call.arguments.size(), 4u);
  EXPECT_TRUE(call.arguments[3].is_missing());
}

TEST(Output, JsonTextEscapes) {
  EXPECT_EQ(json_string(u"a\"b\\c\n\t"), R"("a\"b\\c\u000A\u0009")");
  EXPECT_EQ(json_string(u"Gr\u00F6\u00DFe"),
            "\"Gr\xC3\xB6\xC3\x9F"
            "e\"");
  EXPECT_EQ(json_string(std::u16string(1, char16_t(0xDC00))), R"("\uDC00")");
  EXPECT_EQ(json_string(std::u16string(1, char16_t(0xDFFF))), R"("\uDFFF")");
  EXPECT_EQ(json_string(u"\U0001F600"), "\"\xF0\x9F\x98\x80\"");
}

TEST(Output, NumbersAndSpecialValues) {
  EXPECT_EQ(format_json(Variant::missing()), R"({"error":"0x80020004"})");
  EXPECT_EQ(format_plain(Variant::number(1e20)), "1E+20");
  // A cell shows what has no number form as #NUM!; JSON keeps the number.
  EXPECT_EQ(format_plain(Variant::number(1.0 / 0.0)), "#NUM!");
  EXPECT_EQ(format_plain(Variant::number(std::nan(""))), "#NUM!");
  EXPECT_EQ(format_plain(Variant::error(worksheet_error::kNA)), "#N/A");
  Array one = Array::one_dimensional(2);
  one.elements() = {Variant::number(1), Variant::text(u"x")};
  EXPECT_EQ(format_plain(Variant::array(one)), "1\tx");
  test::ScopedDecimalSeparator comma(u",");
  EXPECT_EQ(format_json(Variant::number(2.5)), "2.5");
}

TEST(Output, DecimalSeparatorRules) {
  const std::pair<const char*, bool> cases[] = {
      {"\xD9\xAB", true},  // U+066B, the Arabic decimal separator: one character, two bytes
      {"..", false},           {"\xF0\x9F\x98\x80", false},  // one character, but two units
      {"\xFF", false},                                       // no UTF-8
      {"\n", false},           {"\x7F", false},
      {"\xC2\x9F", false},      // U+009F, the last control character
      {"\xE2\x80\xA8", false},  // U+2028, a line separator
  };
  for (const auto& [separator, accepted] : cases) {
    EXPECT_EQ(decimal_separator_problem(separator).empty(), accepted) << separator;
  }
}

TEST(Evaluate, CallsThatCannotBeMade) {
  const std::pair<const char*, const char*> cases[] = {
      {"krNOSUCH()", "no member named krNOSUCH"},
      {R"(krSEARCH("a"))", "krSEARCH takes 2 to 10 arguments"},  // too few
      {R"(krSEARCH(, "a"))", "argument 1 (string_to_search) cannot be omitted"},
      {R"(krGETWORD("a b", , " "))", "argument 2 (nth_word) cannot be omitted"},
      {R"(krVERSION(1))", "krVERSION takes 0 arguments"},  // too many
      {R"(krCOUNTINCELL("a", "b", TRUE, TRUE))", "krCOUNTINCELL takes 2 to 3 arguments"},
  };
  for (const auto& [call, message] : cases) {
    clsKestrune object;
    const Outcome outcome = evaluate(object, parse_call(from_utf8(call)));
    EXPECT_EQ(outcome.kind, Outcome::Kind::syntax) << call;
    EXPECT_EQ(outcome.message, message) << call;
  }
}

// The program itself, run as a child process with `input` on its standard input.
test::CommandRun run_program(const std::string& arguments, const std::string& input) {
  return test::run_command("printf '%b' '" + input + "' | " KESTRUNE_PROGRAM " " + arguments);
}

// Answers, failures and unreadable calls, from the command line or standard input; what the
// program cannot do ends in status 2 and a message, never in a crash or a status that says all
// went well.
TEST(Program, OutputAndExitStatus) {
  const std::string no_text_form = R"({"failure":"type mismatch: the value has no text form"})";
  const struct {
    const char* arguments;  // standard error joined to the output where they say 2>&1
    const char* input;
    std::string output;  // all of it, or its beginning where `whole` is false
    int status;
    bool whole = true;
  } cases[] = {
      {R"(--json 'krSEARCH("a-b-c","-")' 'krVERSION()')", "", "2\n\"1.0\"\n", 0},
      {R"(--decimal-separator , 'krSEARCH(2.5, ",")')", "", "2\n", 0},
      {"--json 'Reverse(#N/A)' 'krVERSION()'", "", no_text_form + "\n\"1.0\"\n", 1},
      {"--json", R"(krVERSION(\n krSEARCH("ab","b")\nReverse(#N/A)\n)",
       "{\"syntax\":\"expected a value at column 11\"}\n2\n" + no_text_form + "\n", 2},
      {"fill 'krGETWORD(A, 2)' --threads 2", "a b\\nc d\\n", "a b,b\nc d,d\n", 0},
      {R"(--decimal-separator '' 'krCOUNTINCELL("abc", "b")' 2>/dev/null)", "", "", 2},
      {R"(--decimal-separator 1 'krVERSION()' 2>/dev/null)", "", "", 2},
      {"fill --decimal-separator '\n' 'Reverse(A)' 2>/dev/null", "", "", 2},
      {R"('Reverse("a")' > /dev/full 2>/dev/null)", "", "", 2},  // the answers cannot be written
      {"< / 2>/dev/null", "", "", 2},                            // standard input cannot be read
      {"--version", "", "kestrune 1.0\n", 0},
      {"help", "", "The worksheet functions", 0, false},
      {"help krregex", "", "# krREGEX\n", 0, false},
      {"fill --help", "", "usage: kestrune fill FORMULA", 0, false},
      {"help search-synatx 2>&1", "",
       "kestrune help: no page named search-synatx (did you mean search-syntax?)\n", 2},
      {"'krSERCH(\"a\", \"b\")' 2>&1", "",
       "\nkestrune: cannot read the call: no member named krSERCH (did you mean krSEARCH?)\n", 2},
      {"--jsno 'krVERSION()' 2>&1", "",
       "kestrune: unknown option --jsno (did you mean --json?)\nusage:", 2, false},
  };
  for (const auto& c : cases) {
    const test::CommandRun run = run_program(c.arguments, c.input);
    EXPECT_EQ(c.whole ? run.output : run.output.substr(0, c.output.size()), c.output)
        << c.arguments;
    EXPECT_EQ(run.status, c.status) << c.arguments;
  }
}

}  // namespace
}  // namespace kestrune::cli
