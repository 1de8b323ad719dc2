#include "host/help_file.hpp"

#include <string_view>

#include "host/host_platform.hpp"

namespace kestrune {
namespace {

// The component's server record, under HKEY_CLASSES_ROOT on Windows.
constexpr std::u16string_view kServerRecordKey =
    u"CLSID\\{2D935A7D-6081-4348-BEA1-CA0EA9759BB3}\\InprocServer32";
constexpr std::u16string_view kHelpFileName = u"kestrune.chm";
constexpr std::u16string_view kPathSeparators = u"\\/";

// The component file's full path: the record's, unless it is unreadable or empty.
std::u16string component_file() {
  ComponentLocation& location = *host_platform().component_location;
  std::optional<std::u16string> record = location.registration_record(kServerRecordKey);
  if (record && !record->empty()) return std::move(*record);
  return location.loaded_module_path();
}

// `file`'s folder with its trailing separator (any file name, any length), then `name`; a
// file without a folder has `name` alone beside it.
std::u16string beside(std::u16string_view file, std::u16string_view name) {
  const std::size_t separator = file.find_last_of(kPathSeparators);
  const std::size_t kept = separator == std::u16string_view::npos ? 0 : separator + 1;
  std::u16string path(file.substr(0, kept));
  path += name;
  return path;
}

}  // namespace

std::u16string help_file_path() { return beside(component_file(), kHelpFileName); }

}  // namespace kestrune
