#include "cli/csv.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace kestrune::cli {
namespace {

constexpr std::size_t kReadBlock = 1u << 20;
constexpr std::string_view kCrlf = "\r\n";
constexpr std::string_view kCr = "\r";

constexpr std::string_view kQuoteInUnquotedField = "a quote inside an unquoted field";
constexpr std::string_view kTextAfterClosingQuote = "text after a closing quote";
constexpr std::string_view kQuoteNeverClosed = "a quoted field is never closed";
constexpr std::string_view kQuoteRunsOn = "a quoted field runs on past 16 MiB";

// The characters that may end a run of an unquoted field: a table lookup per byte is the
// cheapest scan for the common field that holds none of them.
constexpr std::array<bool, 256> kEndsUnquotedRun = [] {
  std::array<bool, 256> table{};
  for (const char c : {',', '\n', '"', '\r'}) table[static_cast<unsigned char>(c)] = true;
  return table;
}();

bool ends_unquoted_run(char c) { return kEndsUnquotedRun[static_cast<unsigned char>(c)]; }

// The bytes of `word` that equal `byte`, each marked by its high bit. Marks above a true match
// may be false, but the lowest mark is always a true one: enough to find the first match.
std::uint64_t bytes_equal(std::uint64_t word, char byte) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(byte));
  return (x - kOnes) & ~x & kHighBits;
}

// The first position from `at` where an unquoted run may end: eight bytes at a time, which
// pays on the long stretches of plain text, then byte by byte for the last few.
std::size_t end_of_unquoted_run(std::string_view text, std::size_t at) {
  if constexpr (std::endian::native == std::endian::little) {
    while (at + sizeof(std::uint64_t) <= text.size()) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + at, sizeof word);
      const std::uint64_t marks = bytes_equal(word, ',') | bytes_equal(word, '\n') |
                                  bytes_equal(word, '"') | bytes_equal(word, '\r');
      if (marks != 0) return at + std::size_t(std::countr_zero(marks)) / 8;
      at += sizeof word;
    }
  }
  while (at < text.size() && !ends_unquoted_run(text[at])) ++at;
  return at;
}

// Line breaks inside a quoted field, counted as line endings are: LF, CRLF and a bare CR.
std::size_t count_line_breaks(std::string_view text) {
  std::size_t breaks = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
      ++breaks;
    }
  }
  return breaks;
}

void undouble_quotes(std::string_view written, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < written.size(); ++i) {
    out += written[i];
    if (written[i] == '"') ++i;  // the second of the pair
  }
}

}  // namespace

CsvReader::CsvReader(std::istream& input) : input_(input) {}

bool CsvReader::read_more() {
  if (end_of_input_) return false;
  buffer_.erase(0, start_);
  consumed_before_ += start_;
  start_ = 0;
  // Reading at least as much as is held keeps the rescans of a long record linear in total.
  const std::size_t held = buffer_.size();
  const std::size_t wanted = std::max(kReadBlock, held);
  buffer_.resize(held + wanted);
  input_.read(buffer_.data() + held, std::streamsize(wanted));
  const std::size_t got = std::size_t(input_.gcount());
  buffer_.resize(held + got);
  if (input_.bad()) failed_ = true;
  if (got < wanted || !input_) end_of_input_ = true;
  return got > 0;
}

void CsvReader::note_line_ending(std::size_t end_of_text, std::size_t after_ending) {
  if (first_line_ending_seen_ || after_ending == end_of_text) return;
  first_line_ending_seen_ = true;
  if (after_ending - end_of_text == kCrlf.size()) {
    line_ending_ = kCrlf;
  } else if (buffer_[end_of_text] == '\r') {
    line_ending_ = kCr;
  }
}

std::size_t CsvReader::ending_length(std::size_t at) const {
  if (buffer_[at] == '\n') return 1;
  if (buffer_[at] != '\r') return 0;
  return at + 1 < buffer_.size() && buffer_[at + 1] == '\n' ? kCrlf.size() : kCr.size();
}

bool CsvReader::ending_undecided(std::size_t at) const {
  return !end_of_input_ && at + 1 == buffer_.size() && buffer_[at] == '\r';
}

std::optional<CsvReader::LineEnd> CsvReader::end_of_line(std::size_t from) const {
  const std::size_t at = buffer_.find_first_of("\r\n", from);
  if (at == std::string::npos) {
    if (!end_of_input_) return std::nullopt;
    return LineEnd{buffer_.size(), buffer_.size()};
  }
  if (ending_undecided(at)) return std::nullopt;
  return LineEnd{at, at + ending_length(at)};
}

// Scans one record from start_. need_more: the buffer ends before the record does and more
// input may follow; the scan is then repeated from start_ once more is read.
CsvReader::Scan CsvReader::scan_record(CsvRecord& record) {
  record.fields.clear();
  record.malformation.clear();
  const std::size_t size = buffer_.size();
  std::size_t i = start_;
  std::size_t line_breaks = 0;  // inside quoted fields
  std::size_t end_of_text = 0;  // where the record's text ends
  std::size_t after = 0;        // where the next record begins

  while (true) {
    CsvFieldSpan field;
    std::size_t j = i;
    if (i < size && buffer_[i] == '"') {
      ++j;
      while (true) {
        const std::size_t quote = buffer_.find('"', j);
        const std::size_t reach = quote == std::string::npos ? size : quote;
        if (reach - i > kMaxQuotedBytes) {
          record.malformation = kQuoteRunsOn;
          return Scan::malformed;
        }
        if (quote == std::string::npos) {
          if (!end_of_input_) return Scan::need_more;
          record.malformation = kQuoteNeverClosed;
          return Scan::malformed;
        }
        line_breaks += count_line_breaks(std::string_view(buffer_).substr(j, quote - j));
        if (quote + 1 == size && !end_of_input_) return Scan::need_more;
        if (quote + 1 < size && buffer_[quote + 1] == '"') {
          field.doubled_quotes = true;
          j = quote + 2;
          continue;
        }
        field.offset = i + 1 - start_;
        field.length = quote - i - 1;
        j = quote + 1;
        break;
      }
      if (j < size && buffer_[j] != ',' && ending_length(j) == 0) {
        record.malformation = kTextAfterClosingQuote;
        return Scan::malformed;
      }
    } else {
      j = end_of_unquoted_run(buffer_, j);
      if (j == size && !end_of_input_) return Scan::need_more;
      if (j < size && buffer_[j] == '"') {
        record.malformation = kQuoteInUnquotedField;
        return Scan::malformed;
      }
      field.offset = i - start_;
      field.length = j - i;
    }
    record.fields.push_back(field);
    if (j < size && buffer_[j] == ',') {
      i = j + 1;
      continue;
    }
    if (j < size && ending_undecided(j)) return Scan::need_more;  // a CR, or the first of CRLF
    end_of_text = j;
    after = j == size ? size : j + ending_length(j);
    break;
  }
  record.text.assign(buffer_, start_, end_of_text - start_);
  record.line = line_;
  line_ += line_breaks + (after > end_of_text ? 1 : 0);
  note_line_ending(end_of_text, after);
  start_ = after;
  return Scan::record;
}

void CsvReader::take_first_line_literally(CsvRecord& record) {
  // The whole of the line must be in the buffer, its ending included.
  std::optional<LineEnd> line_end;
  while (!(line_end = end_of_line(start_))) {
    if (!read_more()) end_of_input_ = true;
  }
  const std::size_t end_of_text = line_end->text;
  const std::size_t after = line_end->next;
  record.text.assign(buffer_, start_, end_of_text - start_);
  record.fields.clear();
  std::size_t field_start = 0;
  while (true) {
    const std::size_t comma = record.text.find(',', field_start);
    const std::size_t field_end = comma == std::string::npos ? record.text.size() : comma;
    record.fields.push_back({field_start, field_end - field_start, false});
    if (comma == std::string::npos) break;
    field_start = comma + 1;
  }
  record.line = line_;
  line_ += after > end_of_text ? 1 : 0;
  note_line_ending(end_of_text, after);
  start_ = after;
}

bool CsvReader::next(CsvRecord& record) {
  if (!started_) {
    started_ = true;
    read_more();
    if (std::string_view(buffer_).starts_with(kByteOrderMark)) {
      byte_order_mark_ = true;
      start_ = kByteOrderMark.size();
    }
  }
  while (true) {
    if (start_ == buffer_.size() && !read_more()) return false;
    const Scan scan = scan_record(record);
    if (scan == Scan::record) return true;
    if (scan == Scan::malformed) {
      take_first_line_literally(record);
      return true;
    }
    if (!read_more()) end_of_input_ = true;  // then the next scan settles the record
  }
}

std::string_view CsvRecord::field(std::size_t i, std::string& scratch) const {
  const CsvFieldSpan& span = fields[i];
  const std::string_view written(text.data() + span.offset, span.length);
  if (!span.doubled_quotes) return written;
  undouble_quotes(written, scratch);
  return scratch;
}

std::string CsvRecord::field(std::size_t i) const {
  std::string scratch;
  return std::string(field(i, scratch));
}

void append_csv_field(std::string& out, std::string_view field) {
  // The characters that end an unquoted run are the ones that need quotes.
  if (end_of_unquoted_run(field, 0) == field.size()) {
    out += field;
    return;
  }
  out += '"';
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace kestrune::cli
