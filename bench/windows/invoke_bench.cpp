// invoke_bench: the cost of one krSEARCH("Order 42-A", "?-", , 3) through kestrune.dll, as a
// late-bound caller makes it (IDispatch::Invoke, with and without GetIDsOfNames each time) and
// as an early-bound one does (the _clsKestrune vtable), against a direct call of the same
// member of the core in this process. Timed with QueryPerformanceCounter.
//
//   wine invoke_bench.exe [CALLS]          kestrune.dll must be registered
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <array>
#include <cstdio>
#include <cwchar>
#include <functional>

#include "automation/cls_kestrune.hpp"
#include "com/kestrune_h.h"
#include "oleaut/variant_bridge.hpp"

namespace {

using kestrune::OwnedVariant;
using kestrune::Variant;
using Microsoft::WRL::ComPtr;

constexpr int kDefaultCalls = 20000;
constexpr int kWarmUpCalls = 1000;
constexpr std::size_t kParameters = 10;  // krSEARCH's

double seconds_per_call(int calls, const std::function<void()>& call) {
  for (int i = 0; i < kWarmUpCalls; ++i) call();
  LARGE_INTEGER frequency;
  LARGE_INTEGER start;
  LARGE_INTEGER end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < calls; ++i) call();
  QueryPerformanceCounter(&end);
  return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart) / calls;
}

// The arguments as a worksheet passes them: the three given, the rest missing.
std::array<Variant, kParameters> worksheet_arguments() {
  std::array<Variant, kParameters> arguments;
  arguments.fill(Variant::missing());
  arguments[0] = Variant::text(u"Order 42-A");
  arguments[1] = Variant::text(u"?-");
  arguments[3] = Variant::number(3);
  return arguments;
}

void report(const char* path, double seconds, double direct) {
  std::printf("%-44s %9.2f us/call  %6.1f x direct\n", path, seconds * 1e6, seconds / direct);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int calls = argc > 1 ? int(std::wcstol(argv[1], nullptr, 10)) : kDefaultCalls;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    ComPtr<IDispatch> object;
    if (FAILED(CoCreateInstance(CLSID_clsKestrune, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&object)))) {
      std::fprintf(stderr, "kestrune.dll is not registered\n");
      return 1;
    }
    ComPtr<_clsKestrune> vtable;
    object.As(&vtable);
    const std::array<Variant, kParameters> given = worksheet_arguments();

    kestrune::clsKestrune core;
    const double direct = seconds_per_call(calls, [&] {
      std::array<Variant, kParameters> a = given;
      core.krSEARCH(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
    });

    // DISPPARAMS of the four arguments a late-bound call passes, last first.
    OwnedVariant subject(given[0]);
    OwnedVariant find(given[1]);
    OwnedVariant left_out(given[2]);
    OwnedVariant code(given[3]);
    VARIANT passed[] = {*code, *left_out, *find, *subject};
    DISPPARAMS parameters{passed, nullptr, 4, 0};
    const auto invoke = [&](DISPID id) {
      OwnedVariant result;
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                     &parameters, result.get(), nullptr, nullptr);
    };
    wchar_t name[] = L"krSEARCH";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);

    const double by_id = seconds_per_call(calls, [&] { invoke(id); });
    const double by_name = seconds_per_call(calls, [&] {
      DISPID found = DISPID_UNKNOWN;
      object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &found);
      invoke(found);
    });
    const double early = seconds_per_call(calls, [&] {
      std::array<OwnedVariant, kParameters> a;
      for (std::size_t i = 0; i < kParameters; ++i) kestrune::to_VARIANT(given[i], *a[i].get());
      OwnedVariant result;
      vtable->krSEARCH(a[0].get(), a[1].get(), a[2].get(), a[3].get(), a[4].get(), a[5].get(),
                       a[6].get(), a[7].get(), a[8].get(), a[9].get(), result.get());
    });

    std::printf("krSEARCH(\"Order 42-A\", \"?-\", , 3), %d calls each\n", calls);
    report("direct call of the core member", direct, direct);
    report("vtable (_clsKestrune::krSEARCH)", early, direct);
    report("IDispatch::Invoke, dispatch id known", by_id, direct);
    report("GetIDsOfNames + IDispatch::Invoke", by_name, direct);
  }
  CoUninitialize();
  return 0;
}
