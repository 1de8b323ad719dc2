// CSV as RFC 4180 writes it, read a record at a time from a stream and written a field at a
// time: what `kestrune fill` reads and writes.
//
// Records end at LF, CRLF or a bare CR (as spreadsheets of old wrote them); a field in double
// quotes may hold commas, line breaks and quotes (written twice). A UTF-8 byte order mark at the
// start is skipped and remembered. A record that breaks the rules (a quote inside an unquoted
// field, text after a closing quote, a quoted field still open at the end of the input or running
// on past kMaxQuotedBytes) is malformed: the reader then takes just its first line, split at commas
// with every quote kept as an ordinary character, says what was wrong, and goes on with the next
// line. So a stray quote costs one line, never the rest of the file, and no byte of the input is
// dropped.
//
//   CsvReader reader(input);
//   CsvRecord record;
//   while (reader.next(record)) use(record.field(0), record.malformation);
//   if (reader.failed()) complain();
//
//   std::string line;
//   append_csv_field(line, "say \"hi\", then go");   // "say ""hi"", then go"
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::cli {

// The UTF-8 byte order mark, skipped when read and written back by whoever copies the input.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A quoted field longer than this is taken for a quote that was never closed.
inline constexpr std::size_t kMaxQuotedBytes = 16u << 20;

// Where a field stands in its record's text: inside the quotes for a quoted field, whose
// doubled quotes are still doubled there.
struct CsvFieldSpan {
  std::size_t offset = 0;
  std::size_t length = 0;
  bool doubled_quotes = false;
};

struct CsvRecord {
  std::size_t line = 0;              // the line it starts on, counted from 1
  std::string text;                  // the record as written, without its line ending
  std::vector<CsvFieldSpan> fields;  // found in `text`; decoded only when asked for
  std::string malformation;          // empty for a well-formed record, else what is wrong with it

  std::size_t field_count() const { return fields.size(); }
  // Field i decoded; a view of `text`, or of `scratch` when quotes had to be undoubled.
  std::string_view field(std::size_t i, std::string& scratch) const;
  std::string field(std::size_t i) const;
};

class CsvReader {
 public:
  explicit CsvReader(std::istream& input);

  // Reads the next record into `record` (reusing its storage); false at the end of the input
  // or when the input cannot be read.
  bool next(CsvRecord& record);

  bool failed() const { return failed_; }                        // the input could not be read
  bool has_byte_order_mark() const { return byte_order_mark_; }  // the input began with one
  // How the first line ended: "\n", "\r\n" or "\r" ("\n" when no line has ended yet).
  std::string_view line_ending() const { return line_ending_; }
  std::uint64_t bytes_consumed() const { return consumed_before_ + start_; }

 private:
  enum class Scan { record, malformed, need_more };
  // Where a line's text ends in the buffer, and where the next line begins.
  struct LineEnd {
    std::size_t text;
    std::size_t next;
  };

  Scan scan_record(CsvRecord& record);
  void take_first_line_literally(CsvRecord& record);
  bool read_more();
  void note_line_ending(std::size_t end_of_text, std::size_t after_ending);
  // The length of the line ending at `at`: 1 for LF or a bare CR, 2 for CRLF, 0 for none.
  std::size_t ending_length(std::size_t at) const;
  // A CR that ends the buffer: only more input tells a bare CR from the first half of CRLF.
  bool ending_undecided(std::size_t at) const;
  // The end of the line that starts at `from`; nothing while the buffer cannot tell yet.
  std::optional<LineEnd> end_of_line(std::size_t from) const;

  std::istream& input_;
  std::string buffer_;
  std::size_t start_ = 0;              // where the next record begins in buffer_
  std::size_t line_ = 1;               // the line it begins on
  std::uint64_t consumed_before_ = 0;  // bytes dropped from the front of buffer_
  bool end_of_input_ = false;
  bool failed_ = false;
  bool byte_order_mark_ = false;
  std::string_view line_ending_ = "\n";
  bool first_line_ending_seen_ = false;
  bool started_ = false;
};

// Appends `field` as one CSV field, in quotes (with its quotes doubled) when it holds a comma,
// a quote, a CR or an LF.
void append_csv_field(std::string& out, std::string_view field);

}  // namespace kestrune::cli
