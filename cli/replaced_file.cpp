#include "cli/replaced_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <streambuf>
#include <system_error>
#include <utility>
#include <vector>

namespace kestrune::cli {
namespace {

namespace fs = std::filesystem;

// Links followed before the output is taken for a loop of them.
constexpr int kMaxLinks = 40;
// What a new file's mode starts from before the umask takes its part.
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kPermissionBits = 07777;

std::string system_message(int error_number) {
  return std::generic_category().message(error_number);
}

// The file a chain of symbolic links leads to (which may not exist yet).
fs::path followed(fs::path path) {
  std::error_code error;
  for (int i = 0; i < kMaxLinks && fs::is_symlink(fs::symlink_status(path, error)); ++i) {
    const fs::path link = fs::read_symlink(path, error);
    if (error) break;
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return path;
}

// The mode a new file gets under the umask.
mode_t new_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return kNewFileMode & ~mask;
}

}  // namespace

// A stream buffer over a file descriptor; a write that fails fails the stream.
class ReplacedFile::DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int descriptor) : descriptor_(descriptor) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }

  int error_number() const { return error_number_; }

 protected:
  int_type overflow(int_type c) override {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  std::streamsize xsputn(const char* text, std::streamsize count) override {
    if (count < epptr() - pptr()) return std::streambuf::xsputn(text, count);
    // Long texts (a chunk of rows) go out at once rather than through the buffer.
    if (!drain() || !write_all(text, std::size_t(count))) return 0;
    return count;
  }

  int sync() override { return drain() ? 0 : -1; }

 private:
  bool drain() {
    const std::size_t held = std::size_t(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return write_all(buffer_.data(), held);
  }

  bool write_all(const char* text, std::size_t count) {
    while (count > 0 && error_number_ == 0) {
      const ssize_t written = ::write(descriptor_, text, count);
      if (written < 0) {
        if (errno != EINTR) error_number_ = errno;
        continue;
      }
      text += written;
      count -= std::size_t(written);
    }
    return error_number_ == 0;
  }

  static constexpr std::size_t kBufferBytes = 64u << 10;
  int descriptor_;
  std::vector<char> buffer_ = std::vector<char>(kBufferBytes);
  int error_number_ = 0;
};

ReplacedFile::ReplacedFile() = default;

ReplacedFile::~ReplacedFile() { discard(); }

bool ReplacedFile::open(const std::string& path, std::string& error) {
  target_ = followed(path);
  struct stat old {};
  old_file_ = ::stat(target_.c_str(), &old) == 0;
  if (old_file_ && !S_ISREG(old.st_mode)) return open_directly(error);
  if (old_file_) {
    // A file the user may not write stays as it is, though its folder would let it be replaced.
    if (::access(target_.c_str(), W_OK) != 0) {
      error = system_message(errno);
      return false;
    }
    mode_ = old.st_mode & kPermissionBits;
    owner_ = old.st_uid;
    group_ = old.st_gid;
  } else {
    mode_ = new_file_mode();
  }

  const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
  std::string name = (folder / ("." + target_.filename().string() + ".kestrune-XXXXXX")).string();
  descriptor_ = ::mkstemp(name.data());
  if (descriptor_ < 0) {
    error = "cannot make a new file in " + folder.string() + ": " + system_message(errno);
    return false;
  }
  temporary_ = name;
  attach_stream();
  return true;
}

bool ReplacedFile::open_directly(std::string& error) {
  descriptor_ = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (descriptor_ < 0) {
    error = system_message(errno);
    return false;
  }
  attach_stream();
  return true;
}

void ReplacedFile::attach_stream() {
  buffer_ = std::make_unique<DescriptorBuffer>(descriptor_);
  stream_ = std::make_unique<std::ostream>(buffer_.get());
}

std::ostream& ReplacedFile::stream() { return *stream_; }

bool ReplacedFile::commit(std::string& error) {
  const auto failed = [&](int error_number) {
    error = system_message(error_number);
    discard();
    return false;
  };
  if (!stream_->flush()) return failed(buffer_->error_number());
  if (temporary_.empty()) return true;
  if (old_file_) {
    // The old file's owner where the user may give the file away; else it stays the user's.
    [[maybe_unused]] const int owner_kept = ::fchown(descriptor_, owner_, group_);
  }
  // The mode after the owner (a change of owner may clear bits of it), and on disk before the
  // file takes the output's name, or a crash could leave an empty output.
  if (::fchmod(descriptor_, mode_) != 0 || ::fsync(descriptor_) != 0) return failed(errno);
  const int descriptor = std::exchange(descriptor_, -1);
  if (::close(descriptor) != 0) return failed(errno);
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return failed(errno);
  temporary_.clear();
  return true;
}

void ReplacedFile::discard() {
  if (descriptor_ >= 0) ::close(std::exchange(descriptor_, -1));
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace kestrune::cli
