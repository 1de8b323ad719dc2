#include "platform/posix/posix_host_platform.hpp"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "base/utf8.hpp"
#include "host/portable_platform.hpp"
#include "host/pumped_message_loop.hpp"

extern char** environ;

namespace kestrune {
namespace {

// A shell line that starts xdg-open in the background when it exists, and ends at once.
constexpr const char* kOpenInBackground =
    "command -v xdg-open >/dev/null 2>&1 && xdg-open \"$1\" >/dev/null 2>&1 &";

// The file of the module holding this function: a shared library's path, or the program's.
std::string module_file() {
  Dl_info info{};
  link_map* module = nullptr;
  if (dladdr1(reinterpret_cast<void*>(&module_file), &info, reinterpret_cast<void**>(&module),
              RTLD_DL_LINKMAP) != 0 &&
      module != nullptr && module->l_name != nullptr && module->l_name[0] != '\0') {
    std::error_code error;
    std::filesystem::path path = std::filesystem::canonical(module->l_name, error);
    if (!error) return path.string();
  }
  // The program itself, whose module name is empty (dladdr would give argv[0]).
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : program.string();
}

// Runs `sh -c kOpenInBackground sh target` with no terminal input or output and waits for
// the shell, which returns as soon as it has started xdg-open.
void spawn_opener(const std::string& target) {
  posix_spawn_file_actions_t files;
  if (posix_spawn_file_actions_init(&files) != 0) return;
  for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    posix_spawn_file_actions_addopen(&files, stream, "/dev/null", O_RDWR, 0);
  }
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&files);
    return;
  }
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  const char* arguments[] = {"sh", "-c", kOpenInBackground, "sh", target.c_str(), nullptr};
  pid_t shell = 0;
  const int spawned =
      posix_spawnp(&shell, "sh", &files, &attributes, const_cast<char* const*>(arguments), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&files);
  if (spawned != 0) return;
  while (waitpid(shell, nullptr, 0) == -1 && errno == EINTR) {
  }
}

}  // namespace

std::optional<std::u16string> PosixComponentLocation::registration_record(std::u16string_view) {
  std::u16string path = loaded_module_path();
  if (path.empty()) return std::nullopt;
  return path;
}

std::u16string PosixComponentLocation::loaded_module_path() { return from_utf8(module_file()); }

void PosixShell::open(WindowHandle, std::u16string_view, std::u16string_view target,
                      ShowCommand) noexcept {
  try {
    spawn_opener(to_utf8(target));
  } catch (...) {  // opening the address is a courtesy; the caller never sees it fail
  }
}

HostPlatform make_posix_host_platform() {
  return {std::make_shared<PumpedMessageLoop>(), std::make_shared<NoRunningObjects>(),
          std::make_shared<PosixComponentLocation>(), std::make_shared<PosixShell>(),
          std::make_shared<WindowlessDialogs>()};
}

}  // namespace kestrune
