// An output file that is replaced whole or not at all: what `kestrune fill -o` writes.
//
// The text goes to a new file beside the output (in the folder of the file a symbolic link
// leads to), which is renamed over the output only when everything was written. So the output
// may be the input itself, and a run that fails leaves the output as it was, never cut short.
// The replaced file keeps the old one's permissions and, where the user may give it, its owner
// (a new one gets what the umask allows); a file the user may not write is refused.
// An output that is no regular file (a terminal, a pipe, /dev/null) is written directly.
//
//   ReplacedFile file;
//   std::string error;
//   if (!file.open("out.csv", error)) complain(error);
//   file.stream() << "a,b\n";
//   if (!file.commit(error)) complain(error);   // out.csv now holds "a,b\n"
//   // destroyed without commit: out.csv untouched, the new file removed
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

namespace kestrune::cli {

class ReplacedFile {
 public:
  ReplacedFile();
  ~ReplacedFile();
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;

  // Makes the file the text is written to; false, and `error` says why, when it cannot be made.
  bool open(const std::string& path, std::string& error);
  std::ostream& stream();
  // Whether the text goes straight into the output (no regular file): a failed run may then
  // have written part of it.
  bool writes_directly() const { return temporary_.empty(); }
  // Puts the written text in place of the output; false, and `error` set, when it could not
  // all be written or moved there (the output is then as it was).
  bool commit(std::string& error);

 private:
  class DescriptorBuffer;

  bool open_directly(std::string& error);
  void attach_stream();
  void discard();

  std::filesystem::path target_;     // the output, symbolic links followed
  std::filesystem::path temporary_;  // empty when writing directly
  // What the replaced file keeps of the old one: its mode (a new file's under the umask when
  // there was none), its owner and group.
  bool old_file_ = false;
  mode_t mode_ = 0;
  uid_t owner_ = 0;
  gid_t group_ = 0;
  int descriptor_ = -1;
  std::unique_ptr<DescriptorBuffer> buffer_;
  std::unique_ptr<std::ostream> stream_;
};

}  // namespace kestrune::cli
