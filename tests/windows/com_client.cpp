// com_client: drives kestrune.dll through COM as a spreadsheet add-in would, and reports
// "N passed, M failed". Its modes are in kUsage; "opened ADDRESS" is what the shell runs to open
// a link during "host".
#include <windows.h>

#include <objbase.h>

#include <iostream>
#include <string>

#include "base/utf8.hpp"
#include "checks.hpp"

namespace {

using namespace kestrune::client;

constexpr const char* kUsage =
    "usage: com_client interface MODULE | calls TABLE... | host FOLDER | unregistered PATH |\n"
    "       user-registered PATH | user-unregistered PATH\n";

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::cerr << kUsage;
    return 2;
  }
  const std::u16string mode = text_of(argv[1]);
  if (mode == u"opened" && argc == 3) {  // run by the shell: no checks of its own
    record_opened(text_of(argv[2]));
    return 0;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Checks checks;
  if (mode == u"unregistered" && argc == 3) {
    check_registry_records(text_of(argv[2]), false, false, checks);
  } else if (mode == u"host" && argc == 3) {
    check_host_integration(text_of(argv[2]), checks);
  } else if ((mode == u"user-registered" || mode == u"user-unregistered") && argc == 3) {
    check_registry_records(text_of(argv[2]), true, mode == u"user-registered", checks);
  } else if ((mode == u"interface" && argc == 3) || mode == u"calls") {
    ComPtr<IDispatch> kestrune = create_kestrune(checks);
    if (kestrune && mode == u"interface") {
      check_interface(*kestrune.Get(), text_of(argv[2]), checks);
    }
    for (int i = 2; kestrune && mode == u"calls" && i < argc; ++i) {
      run_call_table(*kestrune.Get(), kestrune::to_utf8(text_of(argv[i])), checks);
    }
  } else {
    std::cerr << kUsage;
    return 2;
  }
  CoUninitialize();
  return checks.report();
}
