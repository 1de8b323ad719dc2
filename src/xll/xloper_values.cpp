#include "xll/xloper_values.hpp"

#include <cmath>
#include <cstring>
#include <new>
#include <string>

namespace kestrune::xll {
namespace {

// The worksheet's error values travel through automation as 0x800A0000 + 2000 + their code.
constexpr std::uint32_t kWorksheetErrorBase = 0x800A07D0u;
constexpr int kWorksheetErrors[] = {kErrNull, kErrDiv0, kErrValue, kErrRef,
                                    kErrName, kErrNum,  kErrNA};

// Texts up to this many units are answered from the thread's own result slot; longer ones take
// a heap block. Kept small: the slot lives once per host recalculation thread (up to 1024).
constexpr std::size_t kSlotTextUnits = 255;

struct ResultSlot {
  Xloper12 value{};
  XChar text[kSlotTextUnits + 1];
};

thread_local ResultSlot result_slot;

std::u16string_view text_of(const Xloper12& value) {
  const XChar* counted = value.val.str;
  if (counted == nullptr) return {};
  return {reinterpret_cast<const char16_t*>(counted + 1), std::size_t(counted[0])};
}

Variant from_multi(const Xloper12& value) {
  const auto& multi = value.val.array;
  if (multi.lparray == nullptr || multi.rows <= 0 || multi.columns <= 0) {
    return Variant::error(worksheet_error::kValue);
  }
  Array grid = Array::two_dimensional(std::size_t(multi.rows), std::size_t(multi.columns));
  std::vector<Variant>& cells = grid.elements();
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const Xloper12& cell = multi.lparray[i];
    // An array inside an array has no worksheet form.
    cells[i] =
        base_type(cell) == kTypeMulti ? Variant::error(worksheet_error::kValue) : from_xloper(cell);
  }
  return Variant::array(std::move(grid));
}

Variant from_error(int code) {
  for (int known : kWorksheetErrors) {
    if (code == known) return Variant::error(kWorksheetErrorBase + std::uint32_t(code));
  }
  return Variant::error(worksheet_error::kValue);
}

void set_error(Xloper12& target, int code) {
  target.val.err = code;
  target.xltype = kTypeErr;
}

int worksheet_error_code(std::uint32_t code) {
  for (int known : kWorksheetErrors) {
    if (code == kWorksheetErrorBase + std::uint32_t(known)) return known;
  }
  return kErrValue;
}

// The value a cell shows for `value`: an object's value, anything else as it is.
Variant shown(const Variant& value) {
  if (!value.is_object()) return value;
  const auto& object = value.object_value();
  return object ? object->Value() : Variant::error(worksheet_error::kValue);
}

bool fits(const Variant& value) {
  return value.is_text() && value.text_value().size() <= kMaxTextUnits;
}

// A counted copy of `text` at `storage`, which has room for its length and units.
void set_text(Xloper12& target, std::u16string_view text, XChar* storage) {
  storage[0] = XChar(text.size());
  std::memcpy(storage + 1, text.data(), text.size() * sizeof(XChar));
  target.val.str = storage;
  target.xltype = kTypeStr;
}

// Every kind but a text that fits and an array; those need storage of their own.
void set_scalar(Xloper12& target, const Variant& value) {
  if (value.is_numeric()) {
    const double number = value.numeric_value();
    if (!std::isfinite(number)) return set_error(target, kErrNum);
    target.val.num = number;
    target.xltype = kTypeNum;
  } else if (value.is_boolean()) {
    target.val.xbool = value.boolean_value() ? TRUE : FALSE;
    target.xltype = kTypeBool;
  } else if (value.is_empty()) {
    target.xltype = kTypeNil;
  } else if (value.is_null()) {
    set_error(target, kErrNA);
  } else if (value.is_error()) {
    set_error(target, worksheet_error_code(value.error_code()));
  } else {  // a text too long for a cell, an array where a cell value belongs
    set_error(target, kErrValue);
  }
}

// An array as rows and columns of cells; nothing when it has no worksheet shape.
struct Shape {
  std::size_t rows = 0;
  std::size_t columns = 0;
};

Shape shape_of(const Array& array) {
  const auto bounds = array.bounds();
  const Shape shape = array.dimensions() == 1   ? Shape{1, bounds[0].count}
                      : array.dimensions() == 2 ? Shape{bounds[0].count, bounds[1].count}
                                                : Shape{};
  if (shape.rows == 0 || shape.columns == 0 || shape.rows > kMaxRows ||
      shape.columns > kMaxColumns) {
    return {};
  }
  return shape;
}

// One heap block: the cells, then the units of their texts.
void set_multi(Xloper12& target, const Array& array) {
  const Shape shape = shape_of(array);
  if (shape.rows == 0) return set_error(target, kErrValue);
  const std::size_t count = shape.rows * shape.columns;
  std::size_t text_units = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Variant& cell = array.element(i);
    if (fits(cell)) text_units += cell.text_value().size() + 1;
  }
  void* block = ::operator new(count * sizeof(Xloper12) + text_units * sizeof(XChar));
  auto* cells = static_cast<Xloper12*>(block);
  XChar* texts = reinterpret_cast<XChar*>(cells + count);
  for (std::size_t i = 0; i < count; ++i) {
    const Variant& cell = array.element(i);
    cells[i] = Xloper12{};
    if (fits(cell)) {
      set_text(cells[i], cell.text_value(), texts);
      texts += cell.text_value().size() + 1;
    } else {
      set_scalar(cells[i], shown(cell));
    }
  }
  target.val.array = {cells, std::int32_t(shape.rows), std::int32_t(shape.columns)};
  target.xltype = kTypeMulti | kBitDLLFree;
}

void set_result(Xloper12& target, XChar* slot_text, const Variant& value) {
  if (value.is_array()) return set_multi(target, value.array_value());
  if (!fits(value)) return set_scalar(target, value);
  const std::u16string& text = value.text_value();
  if (text.size() <= kSlotTextUnits) return set_text(target, text, slot_text);
  set_text(target, text, static_cast<XChar*>(::operator new((text.size() + 1) * sizeof(XChar))));
  target.xltype |= kBitDLLFree;
}

}  // namespace

Variant from_xloper(const Xloper12& value) {
  switch (base_type(value)) {
    case kTypeNum:
      return Variant::number(value.val.num);
    case kTypeInt:
      return Variant::number(value.val.w);
    case kTypeStr:
      return Variant::text(std::u16string(text_of(value)));
    case kTypeBool:
      return Variant::boolean(value.val.xbool != FALSE);
    case kTypeErr:
      return from_error(value.val.err);
    case kTypeMissing:
      return Variant::missing();
    case kTypeNil:
      return Variant();
    case kTypeMulti:
      return from_multi(value);
    default:  // references, flow and binary data: the registrations ask for values only
      return Variant::error(worksheet_error::kValue);
  }
}

Xloper12* to_result(const Variant& value) {
  ResultSlot& slot = result_slot;
  slot.value = Xloper12{};
  if (value.is_object()) {
    set_result(slot.value, slot.text, shown(value));
  } else {
    set_result(slot.value, slot.text, value);
  }
  return &slot.value;
}

void free_result(Xloper12& result) {
  if ((result.xltype & kBitDLLFree) == 0) return;
  const DWORD type = base_type(result);
  if (type == kTypeMulti) ::operator delete(result.val.array.lparray);
  if (type == kTypeStr) ::operator delete(result.val.str);
  result.xltype = kTypeNil;
}

}  // namespace kestrune::xll
