// invoke_bench: the cost of one krSEARCH("Order 42-A", "?-", , 3) through kestrune.dll, as a
// late-bound caller makes it (IDispatch::Invoke, with and without GetIDsOfNames each time) and
// as an early-bound one does (the _clsKestrune vtable), and through kestrune.xll's procedure as
// the worksheet host calls it (XLOPER12 arguments, on one thread and on four at once), against
// a direct call of the same member of the core in this process. Timed with
// QueryPerformanceCounter.
//
//   wine invoke_bench.exe [CALLS] [PATH.xll]   kestrune.dll must be registered
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <array>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "com/kestrune_h.h"
#include "oleaut/variant_bridge.hpp"
#include "xll/host_api.hpp"

namespace {

using kestrune::OwnedVariant;
using kestrune::Variant;
using kestrune::xll::Xloper12;
using Microsoft::WRL::ComPtr;

constexpr int kDefaultCalls = 20000;
constexpr int kWarmUpCalls = 1000;
constexpr std::size_t kParameters = 10;  // krSEARCH's

constexpr int kThreads = 4;

double now_seconds() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return double(now.QuadPart) / double(frequency.QuadPart);
}

double seconds_per_call(int calls, const std::function<void()>& call) {
  for (int i = 0; i < kWarmUpCalls; ++i) call();
  const double start = now_seconds();
  for (int i = 0; i < calls; ++i) call();
  return (now_seconds() - start) / calls;
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
  std::printf("%-44s %9.3f us/call  %6.2f x direct\n", path, seconds * 1e6, seconds / direct);
}

// krSEARCH's procedure in kestrune.xll, called as the host calls it: the three given arguments
// and seven xltypeMissing.
using SearchProcedure = Xloper12*(WINAPI*)(Xloper12*, Xloper12*, Xloper12*, Xloper12*, Xloper12*,
                                           Xloper12*, Xloper12*, Xloper12*, Xloper12*, Xloper12*);

// A text as the host passes it: unit 0 holds the length.
std::u16string counted(std::u16string_view text) {
  return std::u16string(1, char16_t(text.size())) + std::u16string(text);
}

struct XllCall {
  SearchProcedure procedure = nullptr;
  std::u16string subject = counted(u"Order 42-A");
  std::u16string find = counted(u"?-");
  std::array<Xloper12, kParameters> arguments{};

  XllCall() {
    for (Xloper12& argument : arguments) argument.xltype = kestrune::xll::kTypeMissing;
    arguments[0].val.str = reinterpret_cast<kestrune::xll::XChar*>(subject.data());
    arguments[0].xltype = kestrune::xll::kTypeStr;
    arguments[1].val.str = reinterpret_cast<kestrune::xll::XChar*>(find.data());
    arguments[1].xltype = kestrune::xll::kTypeStr;
    arguments[3].val.num = 3;
    arguments[3].xltype = kestrune::xll::kTypeNum;
  }
  Xloper12* operator()() {
    Xloper12* a[kParameters];
    for (std::size_t i = 0; i < kParameters; ++i) a[i] = &arguments[i];
    return procedure(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
  }
};

// One thread's share of a throughput run: its own call, made `calls` times.
struct ThreadCalls {
  std::function<void()> call;
  int calls = 0;
};

DWORD WINAPI run_calls(void* parameter) {
  const ThreadCalls& work = *static_cast<const ThreadCalls*>(parameter);
  for (int i = 0; i < work.calls; ++i) work.call();
  return 0;
}

// Calls a second on `threads` threads at once, each making `calls` calls of its own
// make_call() (made on that thread's behalf before the clock starts).
double calls_per_second(const std::function<std::function<void()>()>& make_call, int calls,
                        int threads) {
  std::vector<ThreadCalls> work(threads);
  for (ThreadCalls& each : work) each = {make_call(), calls};
  std::vector<HANDLE> running;
  const double start = now_seconds();
  for (ThreadCalls& each : work) {
    running.push_back(CreateThread(nullptr, 0, run_calls, &each, 0, nullptr));
  }
  WaitForMultipleObjects(DWORD(running.size()), running.data(), TRUE, INFINITE);
  const double seconds = now_seconds() - start;
  for (HANDLE thread : running) CloseHandle(thread);
  return double(calls) * threads / seconds;
}

// Throughput on one thread and on kThreads at once.
void report_threads(const char* path, const std::function<std::function<void()>()>& make_call,
                    int calls) {
  calls_per_second(make_call, kWarmUpCalls, kThreads);  // each thread's first calls
  const double one = calls_per_second(make_call, calls, 1);
  const double all = calls_per_second(make_call, calls, kThreads);
  std::printf("%-34s 1 thread %9.0f calls/s, %d threads %9.0f calls/s (%.2f x)\n", path, one,
              kThreads, all, all / one);
}

void report_xll(const wchar_t* path, int calls, double direct) {
  HMODULE addin = LoadLibraryW(path);
  const auto procedure = addin ? reinterpret_cast<SearchProcedure>(
                                     reinterpret_cast<void*>(GetProcAddress(addin, "krSEARCH")))
                               : nullptr;
  if (procedure == nullptr) {
    std::fprintf(stderr, "no krSEARCH in %ls\n", path);
    return;
  }
  XllCall call;
  call.procedure = procedure;
  const Xloper12* answer = call();
  if (answer->xltype != kestrune::xll::kTypeStr || answer->val.str[0] != 2) {
    std::fprintf(stderr, "kestrune.xll answered something else than \"2-\"\n");
    return;
  }
  report("kestrune.xll procedure (XLOPER12)", seconds_per_call(calls, [&] { call(); }), direct);
  report_threads(
      "kestrune.xll procedure",
      [procedure] {
        auto own = std::make_shared<XllCall>();
        own->procedure = procedure;
        return [own] { (*own)(); };
      },
      calls);
  FreeLibrary(addin);
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
    report_threads(
        "direct call, an object per thread",
        [&given] {
          auto own = std::make_shared<kestrune::clsKestrune>();
          return [own, &given] {
            std::array<Variant, kParameters> a = given;
            own->krSEARCH(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
          };
        },
        calls);
    if (argc > 2) report_xll(argv[2], calls, direct);
  }
  CoUninitialize();
  return 0;
}
