#include "platform/win32/win32_host_platform.hpp"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/failure.hpp"
#include "oleaut/automation_error.hpp"
#include "oleaut/dispatch_object.hpp"
#include "platform/win32/about_dialog.hpp"
#include "platform/win32/ansi_text.hpp"
#include "platform/win32/this_module.hpp"
#include "platform/win32/win32_message_loop.hpp"

namespace kestrune {
namespace {

using Microsoft::WRL::ComPtr;

// The record is read into a buffer of this many characters, filled with spaces first.
constexpr DWORD kRecordBufferSize = 1000;

}  // namespace

std::shared_ptr<const AutomationObject> Win32RunningObjects::find(std::u16string_view class_name) {
  const std::u16string name(class_name);
  CLSID class_id{};
  if (FAILED(CLSIDFromProgID(reinterpret_cast<LPCOLESTR>(name.c_str()), &class_id))) {
    return nullptr;  // not registered: no such application can run
  }
  ComPtr<IUnknown> running;
  const HRESULT result = GetActiveObject(class_id, nullptr, &running);
  if (result == MK_E_UNAVAILABLE) return nullptr;
  if (FAILED(result)) fail("the lookup of the running application failed: " + hresult_text(result));
  ComPtr<IDispatch> application;
  if (FAILED(running.As(&application))) fail("the running application cannot be called by name");
  return std::make_shared<DispatchObject>(std::move(application));
}

std::optional<std::u16string> Win32ComponentLocation::registration_record(std::u16string_view key) {
  HKEY opened = nullptr;
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, to_ansi(key).c_str(), &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string buffer(kRecordBufferSize, ' ');
  LONG size = static_cast<LONG>(kRecordBufferSize);
  const LSTATUS read = RegQueryValueA(opened, nullptr, buffer.data(), &size);
  RegCloseKey(opened);
  if (read != ERROR_SUCCESS || size <= 0) return std::nullopt;
  // The size counts the bytes written, the terminating zero included.
  buffer.resize(strnlen(buffer.data(), static_cast<std::size_t>(size)));
  return from_ansi(buffer);
}

std::u16string Win32ComponentLocation::loaded_module_path() { return this_module_path(); }

void Win32Shell::open(WindowHandle owner, std::u16string_view verb, std::u16string_view target,
                      ShowCommand show) noexcept {
  try {
    ShellExecuteA(reinterpret_cast<HWND>(owner), to_ansi(verb).c_str(), to_ansi(target).c_str(),
                  nullptr, nullptr, static_cast<int>(show));
  } catch (...) {  // opening the address is a courtesy; the caller never sees it fail
  }
}

HostPlatform make_win32_host_platform() {
  return {std::make_shared<Win32MessageLoop>(), std::make_shared<Win32RunningObjects>(),
          std::make_shared<Win32ComponentLocation>(), std::make_shared<Win32Shell>(),
          std::make_shared<AboutDialogs>()};
}

}  // namespace kestrune
