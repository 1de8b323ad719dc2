#include "cli/fill.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <iostream>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/utf8.hpp"
#include "cli/csv.hpp"
#include "cli/evaluate.hpp"
#include "cli/output.hpp"
#include "cli/replaced_file.hpp"
#include "variant/conversions.hpp"

namespace kestrune::cli {
namespace {

// A chunk closes at this many rows or this much record text, whichever comes first: large
// enough that handing chunks between threads costs little, small enough that a file of a few
// long rows (whose cells cost the most to compute) still spreads over the threads.
constexpr std::size_t kChunkRows = 512;
constexpr std::size_t kChunkBytes = 64u << 10;
// Room a reused record slot keeps for its text (more is given back).
constexpr std::size_t kKeptRecordBytes = 4096;
// Room a chunk slot keeps between uses for its records and output (more is given back).
constexpr std::size_t kKeptChunkBytes = 4 * kChunkBytes;
// Chunks in flight per worker thread: one being computed, one waiting.
constexpr std::size_t kChunksPerWorker = 2;
// Record text read but not yet written back, over all threads: no new chunk is read past it
// (one chunk always may be, however long its rows). Memory for rows then stays the same
// whatever the thread count.
constexpr std::size_t kMaxBytesInFlight = 4u << 20;

constexpr std::chrono::milliseconds kProgressInterval{200};
constexpr int kProgressBarWidth = 30;

constexpr std::string_view kMalformedCell = "malformed CSV: ";

// A CSV field as a worksheet cell.
Variant cell_value(std::string_view field) {
  if (field.empty()) return Variant();
  std::u16string text = from_utf8(field);
  if (const auto number = parse_number(text, u'.')) return Variant::number(*number);
  return Variant::text(std::move(text));
}

// What one cell shows of a result: an array by its top-left element, read without laying out
// the rest of a sparse grid.
std::string cell_text(const Variant& result) {
  const Variant* shown = &result;
  while (shown->is_array()) {
    const Array& array = shown->array_value();
    if (array.size() == 0) return "";
    shown = &array.element(0);
  }
  return format_plain(*shown);
}

// Rows handed to a worker together, and the text they become.
struct Chunk {
  std::vector<CsvRecord> records;  // reused from chunk to chunk: only `count` are in use
  std::size_t count = 0;
  std::size_t bytes = 0;  // the record text of the `count` records
  std::string output;
  std::uint64_t failed = 0;
  bool done = false;  // guarded by the workers' mutex while in flight
};

void append_row(std::string& out, const CsvRecord& record, std::string_view cell,
                std::string_view line_ending) {
  if (record.malformation.empty()) {
    out += record.text;
  } else {
    std::string scratch;
    for (std::size_t i = 0; i < record.field_count(); ++i) {
      if (i) out += ',';
      append_csv_field(out, record.field(i, scratch));
    }
  }
  out += ',';
  append_csv_field(out, cell);
  out += line_ending;
}

void compute_chunk(const RowFormula& formula, clsKestrune& object, Chunk& chunk,
                   std::string_view line_ending) {
  chunk.output.clear();
  chunk.failed = 0;
  std::string malformed_cell;
  for (std::size_t i = 0; i < chunk.count; ++i) {
    const CsvRecord& record = chunk.records[i];
    if (!record.malformation.empty()) {
      malformed_cell.assign(kMalformedCell);
      malformed_cell += record.malformation;
      append_row(chunk.output, record, malformed_cell, line_ending);
      continue;
    }
    RowFormula::Cell cell;
    try {
      cell = formula.cell_for(object, record);
    } catch (const std::exception& failure) {  // out of memory outside the member, say
      cell = {failure.what(), true};
    }
    if (cell.failed) ++chunk.failed;
    append_row(chunk.output, record, cell.text, line_ending);
  }
}

// Gives back the room a chunk slot took for long rows, once they are written.
void release_room(Chunk& chunk) {
  std::size_t room = chunk.output.capacity();
  for (const CsvRecord& record : chunk.records) room += record.text.capacity();
  if (room <= kKeptChunkBytes) return;
  // Swapped out, as assigning an empty value would keep the room.
  std::vector<CsvRecord>().swap(chunk.records);
  std::string().swap(chunk.output);
}

// The progress line on a terminal: a bar when the input's size is known, and rows per second.
class Progress {
 public:
  Progress(std::ostream& messages, bool enabled, std::uint64_t total_bytes)
      : messages_(messages), enabled_(enabled), total_bytes_(total_bytes) {}

  void update(std::uint64_t rows, std::uint64_t bytes) {
    if (!enabled_) return;
    const auto now = Clock::now();
    if (now - last_drawn_ < kProgressInterval) return;
    last_drawn_ = now;
    std::string line = "\r";
    if (total_bytes_ > 0) {
      const double fraction = std::min(1.0, double(bytes) / double(total_bytes_));
      const int filled = int(fraction * kProgressBarWidth);
      line += '[' + std::string(std::size_t(filled), '#') +
              std::string(std::size_t(kProgressBarWidth - filled), '.') + "] ";
      line += std::to_string(int(fraction * 100)) + "%  ";
    }
    line += std::to_string(rows) + " rows  " + std::to_string(rows_per_second(rows, now)) +
            " rows/s\x1b[K";
    messages_ << line << std::flush;
    drawn_ = true;
  }

  // A message on a line of its own, the progress line cleared first.
  void message(const std::string& text) {
    clear();
    messages_ << text << '\n';
  }

  void finish(std::uint64_t rows) {
    if (!enabled_) return;
    clear();
    messages_ << "kestrune fill: " << rows << " rows, " << rows_per_second(rows, Clock::now())
              << " rows/s\n";
  }

 private:
  using Clock = std::chrono::steady_clock;

  std::uint64_t rows_per_second(std::uint64_t rows, Clock::time_point now) const {
    const double seconds = std::chrono::duration<double>(now - started_).count();
    return seconds > 0 ? std::uint64_t(double(rows) / seconds) : 0;
  }

  void clear() {
    if (drawn_) messages_ << "\r\x1b[K";
    drawn_ = false;
  }

  std::ostream& messages_;
  bool enabled_;
  std::uint64_t total_bytes_;
  Clock::time_point started_ = Clock::now();
  Clock::time_point last_drawn_{};
  bool drawn_ = false;
};

// Worker threads, each with its own object, computing the chunks handed to them. A chunk goes
// to a worker that is done with its last one, else to the worker that went idle last, and a
// new worker starts (up to the count) only when none is idle: so only about as many workers
// as chunks can be in flight at once ever run. That matters for long rows, few of which are in
// flight: an object keeps what its last search met (the text, its matches, a list answer), and
// the allocator keeps room per thread, so every worker that ever computed one would hold about
// as much memory again.
class Workers {
 public:
  Workers(unsigned count, const RowFormula& formula, std::string_view line_ending)
      : formula_(formula), line_ending_(line_ending), woken_(count, false), wake_(count) {
    threads_.reserve(count);
  }

  ~Workers() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    for (std::condition_variable& wake : wake_) wake.notify_one();
    for (std::thread& thread : threads_) thread.join();
  }

  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  void submit(Chunk& chunk) {
    std::lock_guard lock(mutex_);
    chunk.done = false;
    queue_.push_back(&chunk);
    if (idle_.empty()) {
      if (threads_.size() < wake_.size()) {
        const auto index = unsigned(threads_.size());
        threads_.emplace_back([this, index] { work(index); });
      }
      return;  // else a busy worker takes it next
    }
    const unsigned worker = idle_.back();
    idle_.pop_back();
    woken_[worker] = true;
    wake_[worker].notify_one();
  }

  void wait_for(Chunk& chunk) {
    std::unique_lock lock(mutex_);
    chunk_done_.wait(lock, [&] { return chunk.done; });
  }

 private:
  void work(unsigned index) {
    clsKestrune object;
    std::unique_lock lock(mutex_);
    while (true) {
      if (!queue_.empty()) {
        Chunk* chunk = queue_.front();
        queue_.pop_front();
        lock.unlock();
        compute_chunk(formula_, object, *chunk, line_ending_);
        lock.lock();
        chunk->done = true;
        chunk_done_.notify_all();
        continue;
      }
      if (stopping_) return;
      idle_.push_back(index);
      woken_[index] = false;
      wake_[index].wait(lock, [&] { return woken_[index] || stopping_; });
    }
  }

  const RowFormula& formula_;
  std::string_view line_ending_;
  std::mutex mutex_;
  std::vector<unsigned> idle_;  // the workers waiting for a chunk, the last to go idle last
  std::vector<bool> woken_;     // by worker: handed a chunk since it went idle
  std::vector<std::condition_variable> wake_;
  std::condition_variable chunk_done_;
  std::deque<Chunk*> queue_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// Reads the input a chunk at a time and writes the chunks back in input order.
class FillRun {
 public:
  FillRun(const FillOptions& options, const RowFormula& formula, std::istream& input,
          std::ostream& output, std::ostream& messages)
      : options_(options),
        formula_(formula),
        reader_(input),
        output_(output),
        progress_(messages, options.progress, options.input_bytes) {}

  FillSummary run() {
    CsvRecord first;
    const bool any_record = reader_.next(first);
    // The line ending and byte order mark are known once the first record is read; a mark
    // alone is written back too.
    line_ending_ = reader_.line_ending();
    if (reader_.has_byte_order_mark()) write(kByteOrderMark);
    if (!any_record) return finished();
    report_if_malformed(first);
    if (options_.header) {
      std::string header;
      append_row(header, first, options_.formula, line_ending_);
      write(header);
    } else {
      pending_first_record_ = std::move(first);
    }

    const unsigned threads = options_.threads > 0 ? options_.threads : default_threads();
    if (threads == 1) {
      clsKestrune object;
      Chunk chunk;
      while (!summary_.output_failed && read_chunk(chunk)) {
        compute_chunk(formula_, object, chunk, line_ending_);
        write_chunk(chunk);
      }
    } else {
      run_on_workers(threads);
    }
    return finished();
  }

 private:
  static unsigned default_threads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
  }

  void run_on_workers(unsigned threads) {
    std::vector<Chunk> window(std::size_t(threads) * kChunksPerWorker);
    Workers workers(threads, formula_, line_ending_);
    std::size_t read = 0, written = 0;  // chunks so far; window slot = count % size
    std::size_t bytes_in_flight = 0;
    bool input_done = false;
    while (!summary_.output_failed) {
      while (!input_done && read - written < window.size() &&
             (read == written || bytes_in_flight < kMaxBytesInFlight)) {
        Chunk& chunk = window[read % window.size()];
        if (!read_chunk(chunk)) {
          input_done = true;
          break;
        }
        bytes_in_flight += chunk.bytes;
        workers.submit(chunk);
        ++read;
      }
      if (written == read) break;
      Chunk& oldest = window[written % window.size()];
      workers.wait_for(oldest);
      bytes_in_flight -= oldest.bytes;
      write_chunk(oldest);
      ++written;
    }
    // Chunks still in flight after an output failure finish before the workers stop.
    for (; written < read; ++written) workers.wait_for(window[written % window.size()]);
  }

  bool read_chunk(Chunk& chunk) {
    chunk.count = 0;
    chunk.bytes = 0;
    while (chunk.count < kChunkRows && chunk.bytes < kChunkBytes) {
      if (chunk.records.size() <= chunk.count) chunk.records.emplace_back();
      CsvRecord& record = chunk.records[chunk.count];
      if (pending_first_record_) {
        std::swap(record, *pending_first_record_);
        pending_first_record_.reset();
      } else if (!reader_.next(record)) {
        break;
      } else {
        report_if_malformed(record);
      }
      // A slot that once held a long record gives the room back, or over many chunks every
      // slot would come to keep room for the longest record ever read.
      if (record.text.capacity() > kKeptRecordBytes && record.text.size() <= kKeptRecordBytes) {
        record.text.shrink_to_fit();
      }
      chunk.bytes += record.text.size();
      ++chunk.count;
    }
    return chunk.count > 0;
  }

  void report_if_malformed(const CsvRecord& record) {
    if (record.malformation.empty()) return;
    ++summary_.malformed;
    progress_.message("kestrune fill: line " + std::to_string(record.line) + ": " +
                      record.malformation + "; its line is kept, split at its commas");
  }

  void write_chunk(Chunk& chunk) {
    write(chunk.output);
    summary_.rows += chunk.count;
    summary_.failed += chunk.failed;
    progress_.update(summary_.rows, reader_.bytes_consumed());
    release_room(chunk);
  }

  void write(std::string_view text) {
    if (summary_.output_failed) return;
    output_.write(text.data(), std::streamsize(text.size()));
    if (!output_) summary_.output_failed = true;
  }

  FillSummary finished() {
    output_.flush();
    if (!output_) summary_.output_failed = true;
    summary_.input_failed = reader_.failed();
    progress_.finish(summary_.rows);
    if (summary_.failed > 0) {
      progress_.message("kestrune fill: the member failed on " + std::to_string(summary_.failed) +
                        " rows; their cells hold its message");
    }
    if (summary_.input_failed) progress_.message("kestrune fill: the input could not be read");
    if (summary_.output_failed) progress_.message("kestrune fill: the output could not be written");
    return summary_;
  }

  const FillOptions& options_;
  const RowFormula& formula_;
  CsvReader reader_;
  std::ostream& output_;
  Progress progress_;
  std::string_view line_ending_ = "\n";
  std::optional<CsvRecord> pending_first_record_;  // the first record when it is data
  FillSummary summary_;
};

// Arguments a row can keep on the stack: krSEARCH's ten are the most any member takes.
constexpr std::size_t kArgumentsInPlace = 10;

// The thread count --threads names; nothing when it is no whole number from 1 to kMaxThreads.
std::optional<unsigned> thread_count(const std::string& text) {
  unsigned count = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (count < 1 || count > kMaxThreads) return std::nullopt;
  return count;
}

// The cell a member's outcome fills: its answer, or the failure's message.
RowFormula::Cell cell_of(const Outcome& outcome) {
  if (outcome.kind != Outcome::Kind::answered) return {outcome.message, true};
  return {cell_text(outcome.result), false};
}

}  // namespace

RowFormula::RowFormula(std::u16string_view formula) {
  ParsedCall call = parse_call(formula, ColumnNames::accepted);
  member_ = member_for(call, error_);
  arguments_ = std::move(call.arguments);
  columns_ = std::move(call.columns);
  // Padded once here rather than for every row (the list members take their list as written).
  if (member_ != nullptr && member_->parameters.size() > 1) {
    arguments_.resize(std::max(arguments_.size(), member_->parameters.size()), Variant::missing());
    arguments_in_place_ = arguments_.size() <= kArgumentsInPlace;
  }
}

RowFormula::Cell RowFormula::cell_for(clsKestrune& object, const CsvRecord& record) const {
  if (arguments_in_place_) {  // the common case, without a heap block per row
    std::array<Variant, kArgumentsInPlace> in_place;
    const std::span<Variant> arguments(in_place.data(), arguments_.size());
    std::copy(arguments_.begin(), arguments_.end(), arguments.begin());
    set_columns(arguments, record);
    return cell_of(run_member(object, *member_, arguments));
  }
  std::vector<Variant> arguments = arguments_;
  set_columns(arguments, record);
  return cell_of(call_member(object, *member_, std::move(arguments)));
}

void RowFormula::set_columns(std::span<Variant> arguments, const CsvRecord& record) const {
  std::string scratch;
  for (const ColumnReference& column : columns_) {
    if (column.column < record.field_count()) {
      arguments[column.argument] = cell_value(record.field(column.column, scratch));
    }
  }
}

int FillSummary::exit_status() const {
  constexpr int kCompleted = 0;
  constexpr int kCouldNotRun = 2;
  return formula_unreadable || input_failed || output_failed ? kCouldNotRun : kCompleted;
}

FillSummary fill(const FillOptions& options, std::istream& input, std::ostream& output,
                 std::ostream& messages) {
  const RowFormula formula(from_utf8(options.formula));
  if (!formula.error().empty()) {
    messages << "kestrune fill: cannot read the formula: " << formula.error() << '\n';
    FillSummary summary;
    summary.formula_unreadable = true;
    return summary;
  }
  return FillRun(options, formula, input, output, messages).run();
}

std::optional<FillCommand> read_fill_command(std::span<const std::string> arguments,
                                             std::string& error) {
  FillCommand command;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    const bool has_value = i + 1 < arguments.size();
    if (arg == "--header") {
      command.options.header = true;
    } else if (arg == "--help" || arg == "-h") {
      command.help = true;
    } else if ((arg == "-o" || arg == "--output") && has_value) {
      command.output_path = arguments[++i];
    } else if (arg == "--threads" && has_value) {
      const std::string& count = arguments[++i];
      const std::optional<unsigned> threads = thread_count(count);
      if (!threads) {
        error = "--threads takes a whole number from 1 to " + std::to_string(kMaxThreads) +
                ", not \"" + count + "\"";
        return std::nullopt;
      }
      command.options.threads = *threads;
    } else if (arg == "--decimal-separator" && has_value) {
      command.decimal_separator = arguments[++i];
      error = decimal_separator_problem(*command.decimal_separator);
      if (!error.empty()) return std::nullopt;
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option or missing value: " + arg;
      return std::nullopt;
    } else {
      positional.push_back(arg);
    }
  }
  if (command.help) return command;
  if (positional.empty() || positional.size() > 2) {
    error = positional.empty() ? "no formula" : "more than one input file";
    return std::nullopt;
  }
  command.options.formula = positional[0];
  if (positional.size() == 2 && positional[1] != "-") command.input_path = positional[1];
  return command;
}

FillSummary run_fill_command(FillCommand command, std::istream& standard_input,
                             std::ostream& standard_output, std::ostream& messages) {
  FillSummary could_not_run;
  if (!RowFormula(from_utf8(command.options.formula)).error().empty()) {
    return fill(command.options, standard_input, standard_output, messages);  // says why
  }
  std::ifstream file_input;
  std::istream* input = &standard_input;
  if (!command.input_path.empty()) {
    file_input.open(command.input_path, std::ios::binary);
    if (!file_input) {
      messages << "kestrune fill: cannot open " << command.input_path << ": "
               << std::generic_category().message(errno) << '\n';
      could_not_run.input_failed = true;
      return could_not_run;
    }
    file_input.seekg(0, std::ios::end);
    const std::streamoff size = file_input.tellg();
    file_input.seekg(0, std::ios::beg);
    if (size > 0) command.options.input_bytes = std::uint64_t(size);
    file_input.clear();
    input = &file_input;
  }
  // The input is open before the output is made, so the two may be one file.
  ReplacedFile file_output;
  std::ostream* output = &standard_output;
  std::string error;
  if (!command.output_path.empty()) {
    if (!file_output.open(command.output_path, error)) {
      messages << "kestrune fill: cannot write " << command.output_path << ": " << error << '\n';
      could_not_run.output_failed = true;
      return could_not_run;
    }
    output = &file_output.stream();
  }
  FillSummary summary = fill(command.options, *input, *output, messages);
  if (command.output_path.empty()) return summary;
  if (summary.exit_status() != 0) {
    if (!file_output.writes_directly()) {
      messages << "kestrune fill: " << command.output_path << " is left as it was\n";
    }
  } else if (!file_output.commit(error)) {
    messages << "kestrune fill: cannot write " << command.output_path << ": " << error
             << "; it is left as it was\n";
    summary.output_failed = true;
  }
  return summary;
}

}  // namespace kestrune::cli
