// The worksheet host's C API, as far as the add-in uses it: the value record XLOPER12 that
// every argument and result is, its type bits and error codes, the few host functions the
// add-in calls back, and the callback's entry point in the host process.
//
// Declared here from the public documentation of the interface; the layout is fixed by the host
// (32 bytes, the type at offset 24, pointers of the platform's size before the counts).
//
//   Xloper12 text = ...;                          // from the host
//   if (base_type(text) == kTypeStr) read(text.val.str + 1, text.val.str[0]);
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace kestrune::xll {

// A text is counted, not terminated: unit 0 holds the length.
using XChar = wchar_t;

// The most units a text of the host holds.
inline constexpr std::size_t kMaxTextUnits = 32767;
// A worksheet's size: the largest array a host cell range can hold.
inline constexpr std::size_t kMaxRows = 1048576;
inline constexpr std::size_t kMaxColumns = 16384;

struct Xloper12;

struct XlRef12 {
  std::int32_t rw_first;
  std::int32_t rw_last;
  std::int32_t col_first;
  std::int32_t col_last;
};

struct Xloper12 {
  union {
    double num;
    XChar* str;
    BOOL xbool;
    int err;
    int w;
    struct {
      WORD count;
      XlRef12 ref;
    } sref;
    struct {
      void* lpmref;
      DWORD_PTR id_sheet;
    } mref;
    struct {
      Xloper12* lparray;
      std::int32_t rows;
      std::int32_t columns;
    } array;
    struct {
      union {
        int level;
        int tbctrl;
        DWORD_PTR id_sheet;
      } valflow;
      std::int32_t rw;
      std::int32_t col;
      BYTE xlflow;
    } flow;
    struct {
      union {
        BYTE* lpb_data;
        HANDLE hdata;
      } h;
      long cb_data;
    } bigdata;
  } val;
  DWORD xltype;
};

// The host's layout, on both platforms: the double aligns the union to 8 bytes.
static_assert(sizeof(Xloper12) == 32 && offsetof(Xloper12, xltype) == 24);
static_assert(offsetof(Xloper12, val.array.rows) == sizeof(void*));

// Type bits.
inline constexpr DWORD kTypeNum = 0x0001;
inline constexpr DWORD kTypeStr = 0x0002;
inline constexpr DWORD kTypeBool = 0x0004;
inline constexpr DWORD kTypeRef = 0x0008;
inline constexpr DWORD kTypeErr = 0x0010;
inline constexpr DWORD kTypeFlow = 0x0020;
inline constexpr DWORD kTypeMulti = 0x0040;
inline constexpr DWORD kTypeMissing = 0x0080;
inline constexpr DWORD kTypeNil = 0x0100;
inline constexpr DWORD kTypeSRef = 0x0400;
inline constexpr DWORD kTypeInt = 0x0800;
// Who frees a result's memory: the host (through xlFree) or the add-in (in xlAutoFree12).
inline constexpr DWORD kBitXLFree = 0x1000;
inline constexpr DWORD kBitDLLFree = 0x4000;

inline DWORD base_type(const Xloper12& value) { return value.xltype & ~(kBitXLFree | kBitDLLFree); }

// The worksheet error values' codes.
inline constexpr int kErrNull = 0;
inline constexpr int kErrDiv0 = 7;
inline constexpr int kErrValue = 15;
inline constexpr int kErrRef = 23;
inline constexpr int kErrName = 29;
inline constexpr int kErrNum = 36;
inline constexpr int kErrNA = 42;

// Host functions the add-in calls back.
inline constexpr int kXlFree = 0x4000;
inline constexpr int kXlCoerce = 0x4002;
inline constexpr int kXlGetName = 0x4009;
inline constexpr int kXlfSetName = 88;
inline constexpr int kXlfRegister = 149;
inline constexpr int kXlfUnregister = 201;

// What a callback returns when it succeeded.
inline constexpr int kXlRetSuccess = 0;

// The callback the host process exports under kCallbackName:
// (function, argument count, arguments, result) -> kXlRetSuccess or an error bit.
using HostCallback = int(WINAPI*)(int function, int count, Xloper12** arguments, Xloper12* result);
inline constexpr char kCallbackName[] = "MdCallBack12";

}  // namespace kestrune::xll
