// kestrune fill: column names in the call syntax, the CSV reader and writer, the formula filled
// down a table (cells, results, malformed records, threads, line endings), and the command.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "base/utf8.hpp"
#include "cli/call_parser.hpp"
#include "cli/csv.hpp"
#include "cli/fill.hpp"
#include "test_support.hpp"

namespace kestrune::cli {
namespace {

// ---- column names in a formula

struct ColumnCase {
  const char* formula;
  std::vector<std::pair<std::size_t, std::size_t>> columns;  // (argument, column)
};

TEST(FormulaColumns, BareColumnNamesStandForCells) {
  const ColumnCase cases[] = {
      {"krREGEX(b, AA, , , XFD)", {{0, 1}, {1, 26}, {4, 16383}}},
      {"krSEARCH( z , \"-\")", {{0, 25}}},
      {"krSEARCH(TRUE, A)", {{1, 0}}},  // keywords stay keywords
      {"krEXCLUDE(C, \"x\", AZ, BA)", {{0, 2}, {2, 51}, {3, 52}}},
  };
  for (const auto& c : cases) {
    const ParsedCall call = parse_call(from_utf8(c.formula), ColumnNames::accepted);
    ASSERT_EQ(call.error, "") << c.formula;
    std::vector<std::pair<std::size_t, std::size_t>> got;
    for (const ColumnReference& column : call.columns) {
      got.emplace_back(column.argument, column.column);
      EXPECT_TRUE(call.arguments[column.argument].is_empty()) << c.formula;
    }
    EXPECT_EQ(got, c.columns) << c.formula;
  }
}

TEST(FormulaColumns, WhatIsNoColumnReference) {
  const char* accepted_but_wrong[] = {
      "krSEARCH(XFE, \"a\")",      // past the last column
      "krSEARCH(AAAA, \"a\")",     // likewise
      "krSEARCH(A1, \"a\")",       // a cell address, not a column
      "krSEARCH({A, B}, \"a\")",   // inside an array
      "krSEARCH(CELL(A), \"a\")",  // inside a reference
      "krSEARCH(A B, \"a\")",
  };
  for (const char* formula : accepted_but_wrong) {
    EXPECT_NE(parse_call(from_utf8(formula), ColumnNames::accepted).error, "") << formula;
  }
  // A plain call knows no columns.
  EXPECT_NE(parse_call(u"krSEARCH(A, \"a\")").error.find("expected a value"), std::string::npos);
}

// ---- the CSV reader

struct Read {
  std::vector<std::vector<std::string>> records;
  std::vector<std::size_t> lines;
  std::vector<std::string> malformations;
  std::string line_ending;
};

Read read_csv(const std::string& input) {
  std::istringstream stream(input);
  CsvReader reader(stream);
  CsvRecord record;
  Read read;
  while (reader.next(record)) {
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < record.field_count(); ++i) fields.push_back(record.field(i));
    read.records.push_back(fields);
    read.lines.push_back(record.line);
    read.malformations.push_back(record.malformation);
  }
  read.line_ending = reader.line_ending();
  return read;
}

using Records = std::vector<std::vector<std::string>>;

struct CsvCase {
  const char* name;
  std::string input;
  Records records;
  std::vector<std::size_t> lines;
  std::vector<std::string> malformations = {};  // one a record; none given: all well formed
};

// A malformed record costs its line only, and keeps its bytes.
TEST(CsvReader, RecordsTheirLinesAndWhatIsMalformed) {
  const std::string never_closed = "a quoted field is never closed";
  const CsvCase cases[] = {
      {"plain", "a,b\nc,d\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
      {"no final line ending", "a,b\nc,d", {{"a", "b"}, {"c", "d"}}, {1, 2}},
      {"empty fields", ",a,,\n", {{"", "a", "", ""}}, {1}},
      {"empty line is one empty field", "a\n\nb\n", {{"a"}, {""}, {"b"}}, {1, 2, 3}},
      {"quoted comma and quote", "\"x, y\",\"say \"\"hi\"\"\"\n", {{"x, y", "say \"hi\""}}, {1}},
      {"quoted line breaks count as lines",
       "\"one\ntwo\",x\n\"a\r\nb\"\nlast\n",
       {{"one\ntwo", "x"}, {"a\r\nb"}, {"last"}},
       {1, 3, 5}},
      {"empty quoted field", "\"\",\"\"\"\"\n", {{"", "\""}}, {1}},
      {"CRLF", "a,b\r\nc\r\n", {{"a", "b"}, {"c"}}, {1, 2}},
      {"bare CR", "a,b\rc,d\re,f\r", {{"a", "b"}, {"c", "d"}, {"e", "f"}}, {1, 2, 3}},
      {"CR before CRLF is an empty line", "a\r\r\nb", {{"a"}, {""}, {"b"}}, {1, 2, 3}},
      {"quoted CR counts as a line", "\"x\ry\",z\rw\r", {{"x\ry", "z"}, {"w"}}, {1, 3}},
      {"UTF-8 kept as bytes",
       "\xC3\xB6\xC3\x9F,\xE2\x82\xAC\n",
       {{"\xC3\xB6\xC3\x9F", "\xE2\x82\xAC"}},
       {1}},
      {"nothing", "", {}, {}},
      {"text after a closing quote",
       "\"ab\"c,d\ne\n",
       {{"\"ab\"c", "d"}, {"e"}},
       {1, 2},
       {"text after a closing quote", ""}},
      {"unterminated at the end",
       "a,b\nc,\"open\nd,e\n",
       {{"a", "b"}, {"c", "\"open"}, {"d", "e"}},
       {1, 2, 3},
       {"", never_closed, ""}},
      {"unterminated after a quoted line break",
       "\"one\ntwo\",x\n\"open\r\n",
       {{"one\ntwo", "x"}, {"\"open"}},
       {1, 3},
       {"", never_closed}},
  };
  for (const auto& c : cases) {
    const Read read = read_csv(c.input);
    EXPECT_EQ(read.records, c.records) << c.name;
    EXPECT_EQ(read.lines, c.lines) << c.name;
    const bool well_formed = c.malformations.empty();
    EXPECT_EQ(read.malformations,
              well_formed ? std::vector<std::string>(c.records.size()) : c.malformations)
        << c.name;
  }
}

TEST(CsvReader, FindsEachSeparatorWhereverItFallsInAWord) {
  // The scan looks at eight bytes at a time: put each kind of special byte at every offset.
  for (std::size_t length = 0; length < 20; ++length) {
    const std::string plain(length, 'x');
    EXPECT_EQ(read_csv(plain + ",y\n").records, (Records{{plain, "y"}})) << length;
    EXPECT_EQ(read_csv(plain + "\ny\n").records, (Records{{plain}, {"y"}})) << length;
    EXPECT_EQ(read_csv(plain + "\r\ny").records, (Records{{plain}, {"y"}})) << length;
    EXPECT_EQ(read_csv(plain + "\rz,y").records, (Records{{plain}, {"z", "y"}})) << length;
    EXPECT_EQ(read_csv("a,w" + plain + "\"q\n").malformations.front(),
              "a quote inside an unquoted field")
        << length;
  }
}

TEST(CsvReader, ACrEndingAReadBlockWaitsForWhatFollows) {
  // The reader takes 1 MiB at a time: a CR as the block's last byte may be half of a CRLF.
  const std::string block(std::size_t{1} << 20, 'x');
  const std::string unquoted = block.substr(1);
  const std::string quoted = "\"" + block.substr(3) + "\"";
  const std::string stray = "a\"" + block.substr(3);
  const std::pair<std::string, Records> cases[] = {
      {unquoted + "\r\ny\n", {{unquoted}, {"y"}}},
      {unquoted + "\ry\n", {{unquoted}, {"y"}}},
      {quoted + "\r\ny\n", {{block.substr(3)}, {"y"}}},
      {stray + "\r\ny\n", {{stray}, {"y"}}},  // malformed: its first line taken as it is
  };
  for (const auto& [input, records] : cases) {
    const Read read = read_csv(input);
    EXPECT_EQ(read.records, records);
    EXPECT_EQ(read.lines, (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(read.line_ending, input.find("\r\n") == std::string::npos ? "\r" : "\r\n");
  }
}

TEST(CsvReader, RecordsLongerThanOneReadBlock) {
  const std::string long_field(3'000'000, 'x');
  const Read read = read_csv("a,\"" + long_field + "\"\n" + long_field + ",b\n");
  ASSERT_EQ(read.records.size(), 2u);
  EXPECT_EQ(read.records[0][1], long_field);
  EXPECT_EQ(read.records[1][0], long_field);
  EXPECT_EQ(read.records[1][1], "b");
}

TEST(CsvReader, AQuoteThatRunsOnIsTakenForAStrayOne) {
  // An opening quote never closed on a long input is given up after kMaxQuotedBytes, and the
  // lines after it are read as records again.
  std::string input = "\"open,1\n";
  const std::string line = std::string(999, 'y') + "\n";
  while (input.size() < kMaxQuotedBytes + 2 * line.size()) input += line;
  const Read read = read_csv(input);
  ASSERT_GT(read.records.size(), 2u);
  EXPECT_EQ(read.records[0], (std::vector<std::string>{"\"open", "1"}));
  EXPECT_EQ(read.malformations[0], "a quoted field runs on past 16 MiB");
  EXPECT_EQ(read.records[1], (std::vector<std::string>{std::string(999, 'y')}));
  EXPECT_EQ(read.malformations[1], "");
  EXPECT_EQ(read.lines[1], 2u);
}

// ---- fill

struct Filled {
  std::string output;
  std::string messages;
  FillSummary summary;
};

Filled run_fill(const std::string& formula, const std::string& input, bool header = false,
                unsigned threads = 1) {
  FillOptions options;
  options.formula = formula;
  options.header = header;
  options.threads = threads;
  std::istringstream in(input);
  std::ostringstream out, messages;
  Filled filled;
  filled.summary = fill(options, in, out, messages);
  filled.output = out.str();
  filled.messages = messages.str();
  return filled;
}

struct FillCase {
  const char* formula;
  std::string input;
  std::string output;
  bool header = false;
};

TEST(Fill, CellsResultsHeadersAndLineEndings) {
  const std::string mark = "\xEF\xBB\xBF";
  const FillCase cases[] = {
      // numbers read with "." in the C locale; other fields stay texts
      {"krST(A)", "21\n 3 \n1E3\nB3\n", "21,21st\n 3 ,3rd\n1E3,1000th\nB3,B3rd\n"},
      {"krST(A)", "\"2,5\"\n", "\"2,5\",\"2,5th\"\n"},  // a text, not the number 2.5
      // an empty field is a blank cell: not a text, read as the empty text
      {"krST(A)", "\n", ",#VALUE!\n"},
      {"krREGEX(A, \"^$\", , , 2)", ",x\n", ",x,0\n"},
      // a column past the end of a row is a blank cell too
      {"krCONCATULA(C)", "5+3\n1,2,7*6\n", "5+3,#VALUE!\n1,2,7*6,42\n"},
      // literals stay as written; texts with quotes and commas come back quoted
      {"krREPLACE(A, \"-\", \", \"\"\", , TRUE)", "a-b\n", "a-b,\"a, \"\"b\"\n"},
      {"krGETWORD(B, 2)", "1,\"Anna Smith\"\n2,\"x\ny z\"\n",
       "1,\"Anna Smith\",Smith\n2,\"x\ny z\",z\n"},
      // truth values, empty results and arrays (their top left element) as a cell shows them
      {"krCONCATULA(A)", "5>3\n", "5>3,TRUE\n"},
      {"krABOUT()", "x\n", "x,\n"},
      {"krREGEX(A, \"[0-9]+\", , , 7)", "abc123def456\n", "abc123def456,123\n"},
      // the header row gets the formula as its name; without --header it is data
      {"krGETWORD(A, 2)", "name\nAnna Smith\n", "name,\"krGETWORD(A, 2)\"\nAnna Smith,Smith\n",
       true},
      {"krGETWORD(A, 2)", "name\nAnna Smith\n", "name,#VALUE!\nAnna Smith,Smith\n"},
      // the line ending and the byte order mark are kept
      {"Reverse(A)", mark + "ab,x\r\ncd\r\n", mark + "ab,x,ba\r\ncd,dc\r\n"},
      {"Reverse(A)", mark + "h\r\nab\r\n", mark + "h,Reverse(A)\r\nab,ba\r\n", true},
      {"Reverse(B)", "a\rb\r\n", "a,\rb,\r"},                    // the first line ending counts
      {"Reverse(B)", "\"a\r\nb\"\nc\r\n", "\"a\r\nb\",\nc,\n"},  // but none inside quotes
      {"Reverse(A)", mark, mark},                                // a mark and nothing else
      {"Reverse(A)", "ab", "ab,ba\n"},  // without a line ending anywhere the output uses LF
      {"Reverse(A)", "", ""},
  };
  for (const auto& c : cases) {
    const Filled filled = run_fill(c.formula, c.input, c.header);
    EXPECT_EQ(filled.output, c.output) << c.formula << " on " << c.input;
    EXPECT_EQ(filled.summary.exit_status(), 0) << c.formula;
  }
}

TEST(Fill, NumbersAreWrittenWithTheUsersSeparatorButReadWithAPoint) {
  test::ScopedDecimalSeparator comma(u",");
  // The cell 2.5 is a number; the member reads it as text "2,5".
  EXPECT_EQ(run_fill("krSEARCH(A, \",\")", "2.5\n").output, "2.5,2\n");
  EXPECT_EQ(run_fill("krCONCATULA(A)", "10/4\n").output, "10/4,\"2,5\"\n");
}

TEST(Fill, AMalformedLineIsReportedAndTheRunGoesOn) {
  const Filled filled = run_fill("Reverse(A)", "ab,1\nc\"d,2\nef,3\n");
  EXPECT_EQ(filled.output,
            "ab,1,ba\n\"c\"\"d\",2,malformed CSV: a quote inside an unquoted field\nef,3,fe\n");
  EXPECT_NE(filled.messages.find("line 2: a quote inside an unquoted field"), std::string::npos)
      << filled.messages;
  EXPECT_EQ(filled.summary.malformed, 1u);
  EXPECT_EQ(filled.summary.rows, 3u);
  EXPECT_EQ(filled.summary.exit_status(), 0);
}

TEST(Fill, AFailingMemberLeavesItsMessageInTheCell) {
  test::ScopedDecimalSeparator none(u"");  // the filters fail without a decimal separator
  const Filled filled = run_fill("krEXCLUDE(A, \"b\")", "abc\nxyz\n");
  EXPECT_EQ(filled.output,
            "abc,the platform reports no decimal separator\nxyz,the platform reports no "
            "decimal separator\n");
  EXPECT_EQ(filled.summary.failed, 2u);
  EXPECT_EQ(filled.summary.exit_status(), 0);
}

TEST(Fill, RowsKeepTheirOrderOnSeveralThreads) {
  std::string input;
  for (int i = 0; i < 10'000; ++i) {
    input += "row " + std::to_string(i) + ",\"" + std::string(std::size_t(i % 7), '-') + "x\n" +
             std::to_string(i * 3) + "\"\n";
  }
  input += "tail\"quote\n";  // a malformed record among them
  const std::string formula = "krREPLACE(B, \"-\", \"+\", , TRUE)";
  const Filled one = run_fill(formula, input, false, 1);
  const Filled four = run_fill(formula, input, false, 4);
  EXPECT_EQ(one.summary.rows, 10'001u);
  EXPECT_EQ(four.output, one.output);
  EXPECT_EQ(four.summary.rows, one.summary.rows);
  EXPECT_EQ(four.summary.malformed, 1u);
  // The results really differ from row to row, so a reordering would show.
  EXPECT_NE(one.output.find("row 6,\"------x\n18\",\"++++++x\n18\"\n"), std::string::npos);
}

TEST(Fill, LongRowsOnManyThreadsAsOnOne) {
  // Rows longer than a chunk's share, so that chunks hold one row and few are in flight.
  std::string input;
  for (int i = 0; i < 40; ++i) {
    input += std::to_string(i) + std::string(300'000 + std::size_t(i), i % 2 ? '-' : '+') + "\n";
  }
  const std::string formula = "krSEARCH(A, \"-\", , 9)";  // the dashes counted
  const Filled one = run_fill(formula, input, false, 1);
  const Filled many = run_fill(formula, input, false, kMaxThreads);
  EXPECT_EQ(many.output, one.output);
  EXPECT_EQ(many.summary.rows, 40u);
  EXPECT_NE(one.output.find(",300001\n"), std::string::npos);
}

// A stream that breaks down after some bytes.
class FailingBuffer : public std::streambuf {
 public:
  explicit FailingBuffer(std::string data) : data_(std::move(data)) {
    setg(data_.data(), data_.data(), data_.data() + data_.size());
  }

 protected:
  int_type underflow() override { throw std::ios_base::failure("disk gone"); }

 private:
  std::string data_;
};

TEST(Fill, ExitStatusIsTwoOnlyWhenTheFormulaOrTheInputCannotBeUsed) {
  EXPECT_EQ(run_fill("krNOSUCH(A)", "a\n").summary.exit_status(), 2);
  EXPECT_EQ(run_fill("krSEARCH(A)", "a\n").summary.exit_status(), 2);  // too few arguments
  EXPECT_EQ(run_fill("krSEARCH(A1, \"a\")", "a\n").summary.exit_status(), 2);

  FailingBuffer broken("a\nb\n");
  std::istream input(&broken);
  std::ostringstream out, messages;
  FillOptions options;
  options.formula = "Reverse(A)";
  const FillSummary summary = fill(options, input, out, messages);
  EXPECT_TRUE(summary.input_failed);
  EXPECT_EQ(summary.exit_status(), 2);
  EXPECT_NE(messages.str().find("could not be read"), std::string::npos);
}

// ---- the command

TEST(FillCommandLine, Arguments) {
  std::string error;
  const std::string most = std::to_string(kMaxThreads);
  const std::vector<std::string> full = {"Reverse(A)", "in.csv",    "-o", "out.csv",
                                         "--header",   "--threads", most, "--decimal-separator",
                                         ","};
  const auto command = read_fill_command(full, error);
  ASSERT_TRUE(command) << error;
  EXPECT_EQ(command->options.formula, "Reverse(A)");
  EXPECT_EQ(command->input_path, "in.csv");
  EXPECT_EQ(command->output_path, "out.csv");
  EXPECT_TRUE(command->options.header);
  EXPECT_EQ(command->options.threads, kMaxThreads);
  EXPECT_EQ(command->decimal_separator, ",");

  const std::string too_many = std::to_string(kMaxThreads + 1);
  const std::vector<std::vector<std::string>> refused = {
      {},
      {"Reverse(A)", "a.csv", "b.csv"},
      {"Reverse(A)", "--threads", "0"},
      {"Reverse(A)", "--threads", too_many},
      {"Reverse(A)", "--threads", "99999999999999999999"},
      {"Reverse(A)", "--threads", "+3"},
      {"Reverse(A)", "--threads", "3x"},
      {"Reverse(A)", "--threads"},
      {"Reverse(A)", "--frobnicate"},
  };
  for (const auto& arguments : refused) {
    error.clear();
    EXPECT_FALSE(read_fill_command(arguments, error));
    EXPECT_NE(error, "");
  }
}

std::string file_text(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(FillCommandLine, TheOutputIsReplacedWholeOrNotAtAll) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(testing::TempDir()) / "fill_outputs";
  const std::string filled = "ab,ba\ncd,dc\n";
  const fs::perms old_mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  const struct {
    const char* name;
    const char* input;   // in `folder`: in.csv, old.csv (mode 640), link.csv (to in.csv)
    const char* output;  // likewise
    int status;
    std::string output_after;  // what the output's path then reads
  } cases[] = {
      {"a new file", "in.csv", "new.csv", 0, filled},
      {"an old file", "in.csv", "old.csv", 0, filled},
      {"the input itself", "in.csv", "in.csv", 0, filled},
      {"a link to the input", "in.csv", "link.csv", 0, filled},
      {"an input that cannot be read", ".", "old.csv", 2, "old\n"},
      {"a folder that does not exist", "in.csv", "none/new.csv", 2, ""},
  };
  for (const auto& c : cases) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / "in.csv", std::ios::binary) << "ab\ncd\n";
    std::ofstream(folder / "old.csv", std::ios::binary) << "old\n";
    fs::permissions(folder / "old.csv", old_mode);
    fs::create_symlink("in.csv", folder / "link.csv");

    std::string error;
    const std::vector<std::string> arguments = {"Reverse(A)", (folder / c.input).string(), "-o",
                                                (folder / c.output).string()};
    const auto command = read_fill_command(arguments, error);
    ASSERT_TRUE(command) << error;
    std::istringstream unused;
    std::ostringstream standard_output, messages;
    EXPECT_EQ(run_fill_command(*command, unused, standard_output, messages).exit_status(), c.status)
        << c.name;
    EXPECT_EQ(standard_output.str(), "") << c.name;
    EXPECT_EQ(file_text(folder / c.output), c.output_after) << c.name;
    EXPECT_TRUE(fs::is_symlink(folder / "link.csv")) << c.name;
    EXPECT_EQ(fs::status(folder / "old.csv").permissions(), old_mode) << c.name;
    for (const auto& entry : fs::directory_iterator(folder)) {  // no new file left behind
      EXPECT_NE(entry.path().filename().string().front(), '.') << c.name << ": " << entry.path();
    }
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kestrune::cli
