#include "oleaut/variant_bridge.hpp"

#include <wrl/client.h>

#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <vector>

#include "base/failure.hpp"
#include "oleaut/dispatch_object.hpp"
#include "oleaut/value_dispatch.hpp"
#include "variant/conversions.hpp"

namespace kestrune {
namespace {

using Microsoft::WRL::ComPtr;

// The element types a SAFEARRAY may declare that the core records as they are.
struct ElementKind {
  VARTYPE automation;
  VariantType core;
};
constexpr ElementKind kElementKinds[] = {
    {VT_VARIANT, VariantType::variant}, {VT_BSTR, VariantType::text},
    {VT_I2, VariantType::i2},           {VT_I4, VariantType::i4},
    {VT_R4, VariantType::r4},           {VT_R8, VariantType::r8},
    {VT_DATE, VariantType::date},       {VT_BOOL, VariantType::boolean},
    {VT_ERROR, VariantType::error},     {VT_DISPATCH, VariantType::object},
};

VariantType core_element_type(VARTYPE element) {
  for (const ElementKind& kind : kElementKinds) {
    if (kind.automation == element) return kind.core;
  }
  return VariantType::variant;  // other numeric kinds arrive as numbers
}

void check(HRESULT result, const char* what) {
  if (result == E_OUTOFMEMORY) throw std::bad_alloc();
  if (FAILED(result)) fail(what);
}

// (The VARIANT calls below take their source without const but only read it.)

// Numeric kinds the core has no tag of its own for (currency, decimal, bytes, 64-bit and
// unsigned integers) arrive as doubles.
Variant other_number(const VARIANT& value) {
  OwnedVariant number;
  check(VariantChangeType(number.get(), const_cast<VARIANT*>(&value), 0, VT_R8),
        "type mismatch: the number cannot be read");
  return Variant::number(V_R8(&*number));
}

Variant from_object(IUnknown* object) {
  if (object == nullptr) return Variant::object(nullptr);  // Nothing
  ComPtr<IDispatch> dispatch;
  if (FAILED(object->QueryInterface(IID_PPV_ARGS(&dispatch)))) {
    fail(FailureKind::type_mismatch, "the object cannot be called by name");
  }
  return Variant::object(std::make_shared<DispatchObject>(std::move(dispatch)));
}

// Holds a SAFEARRAY's data in place while its elements are read or written.
class ArrayLock {
 public:
  explicit ArrayLock(SAFEARRAY* array) : array_(array) {
    check(SafeArrayLock(array_), "the array is locked");
  }
  ~ArrayLock() { SafeArrayUnlock(array_); }
  ArrayLock(const ArrayLock&) = delete;
  ArrayLock& operator=(const ArrayLock&) = delete;

 private:
  SAFEARRAY* array_;
};

// Walks the indices of an array row by row (the last index fastest), the order the core keeps
// elements in; SAFEARRAY calls take the indices first dimension first.
class IndexWalk {
 public:
  explicit IndexWalk(std::span<const ArrayBound> bounds) : bounds_(bounds) {
    for (const ArrayBound& bound : bounds_) index_.push_back(bound.lower);
  }
  LONG* current() { return index_.data(); }
  void advance() {
    for (std::size_t d = index_.size(); d-- > 0;) {
      if (index_[d] + 1 < bounds_[d].lower + static_cast<LONG>(bounds_[d].count)) {
        ++index_[d];
        return;
      }
      index_[d] = bounds_[d].lower;
    }
  }

 private:
  std::span<const ArrayBound> bounds_;
  std::vector<LONG> index_;
};

std::vector<ArrayBound> bounds_of(SAFEARRAY* array) {
  std::vector<ArrayBound> bounds(SafeArrayGetDim(array));
  for (UINT d = 0; d < bounds.size(); ++d) {
    LONG lower = 0;
    LONG upper = 0;
    check(SafeArrayGetLBound(array, d + 1, &lower), "the array has no bounds");
    check(SafeArrayGetUBound(array, d + 1, &upper), "the array has no bounds");
    bounds[d] = {lower, upper >= lower ? std::size_t(upper - lower) + 1 : 0};
  }
  return bounds;
}

// An element of a typed array, viewed as a VARIANT of its type without taking ownership.
Variant element_value(const void* element, VARTYPE type, UINT size) {
  if (type == VT_VARIANT) return from_VARIANT(*static_cast<const VARIANT*>(element));
  VARIANT view;
  VariantInit(&view);
  if (size > sizeof(V_I8(&view)))
    fail(FailureKind::type_mismatch, "the array's elements cannot be read");
  std::memcpy(&V_I8(&view), element, size);
  V_VT(&view) = type;
  return from_VARIANT(view);
}

// Sets `target`, which holds nothing that needs freeing, to `value`.
void fill_VARIANT(const Variant& value, VARIANT& target) {
  switch (value.type()) {
    case VariantType::empty:
      V_VT(&target) = VT_EMPTY;
      return;
    case VariantType::null:
      V_VT(&target) = VT_NULL;
      return;
    case VariantType::i2:
      V_VT(&target) = VT_I2;
      V_I2(&target) = static_cast<SHORT>(value.numeric_value());
      return;
    case VariantType::i4:
      V_VT(&target) = VT_I4;
      V_I4(&target) = static_cast<LONG>(value.numeric_value());
      return;
    case VariantType::r4:
      V_VT(&target) = VT_R4;
      V_R4(&target) = static_cast<float>(value.numeric_value());
      return;
    case VariantType::r8:
      V_VT(&target) = VT_R8;
      V_R8(&target) = value.numeric_value();
      return;
    case VariantType::date:
      V_VT(&target) = VT_DATE;
      V_DATE(&target) = value.numeric_value();
      return;
    case VariantType::text:
      V_BSTR(&target) = to_BSTR(value.text_value());
      V_VT(&target) = VT_BSTR;
      return;
    case VariantType::boolean:
      V_VT(&target) = VT_BOOL;
      V_BOOL(&target) = value.boolean_value() ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case VariantType::error:
      V_VT(&target) = VT_ERROR;
      V_ERROR(&target) = static_cast<SCODE>(value.error_code());
      return;
    case VariantType::object: {
      const std::shared_ptr<const Object>& object = value.object_value();
      IDispatch* dispatch = nullptr;
      if (const auto* known = dynamic_cast<const DispatchObject*>(object.get())) {
        dispatch = known->dispatch();
        dispatch->AddRef();
      } else if (object) {
        dispatch = make_value_dispatch(object);
      }
      V_VT(&target) = VT_DISPATCH;
      V_DISPATCH(&target) = dispatch;
      return;
    }
    case VariantType::array: {
      const Array& array = value.array_value();
      V_ARRAY(&target) = to_SAFEARRAY(array);
      V_VT(&target) = VT_ARRAY | (array.element_type() == VariantType::text ? VT_BSTR : VT_VARIANT);
      return;
    }
    case VariantType::variant:
      break;
  }
  fail(FailureKind::type_mismatch, "the value has no automation form");
}

// A new SAFEARRAY that is destroyed unless it is handed over.
class ArrayUnderConstruction {
 public:
  ArrayUnderConstruction(VARTYPE type, std::vector<SAFEARRAYBOUND>& bounds)
      : array_(SafeArrayCreate(type, static_cast<UINT>(bounds.size()), bounds.data())) {
    if (array_ == nullptr) throw std::bad_alloc();
  }
  ~ArrayUnderConstruction() {
    if (array_ != nullptr) SafeArrayDestroy(array_);
  }
  ArrayUnderConstruction(const ArrayUnderConstruction&) = delete;
  ArrayUnderConstruction& operator=(const ArrayUnderConstruction&) = delete;

  SAFEARRAY* get() const { return array_; }
  SAFEARRAY* release() {
    SAFEARRAY* array = array_;
    array_ = nullptr;
    return array;
  }

 private:
  SAFEARRAY* array_;
};

// Writes a value through a typed reference (VT_BYREF with a scalar type), read as that type;
// a reference of another type is left as it is.
void store_typed(VARIANT& reference, const Variant& value) {
  switch (V_VT(&reference) & ~VT_BYREF) {
    case VT_BSTR: {
      BSTR text = to_BSTR(to_text(value));
      SysFreeString(*V_BSTRREF(&reference));
      *V_BSTRREF(&reference) = text;
      return;
    }
    case VT_I2: {
      const std::int32_t whole = round_to_whole(to_number(value));
      if (whole < std::numeric_limits<SHORT>::min() || whole > std::numeric_limits<SHORT>::max()) {
        return;
      }
      *V_I2REF(&reference) = static_cast<SHORT>(whole);
      return;
    }
    case VT_I4:
      *V_I4REF(&reference) = round_to_whole(to_number(value));
      return;
    case VT_R4:
      *V_R4REF(&reference) = static_cast<float>(to_number(value));
      return;
    case VT_R8:
      *V_R8REF(&reference) = to_number(value);
      return;
    case VT_DATE:
      *V_DATEREF(&reference) = to_number(value);
      return;
    case VT_BOOL:
      *V_BOOLREF(&reference) = to_truth(value) ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case VT_ERROR:
      if (!value.is_error()) return;
      *V_ERRORREF(&reference) = static_cast<SCODE>(value.error_code());
      return;
    default:
      return;
  }
}

}  // namespace

OwnedVariant::OwnedVariant(const Variant& value) {
  VariantInit(&value_);
  to_VARIANT(value, value_);
}

std::u16string from_BSTR(BSTR text) {
  if (text == nullptr) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

BSTR to_BSTR(std::u16string_view text) {
  if (text.size() > std::numeric_limits<UINT>::max() / 2) throw std::bad_alloc();
  BSTR result = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                  static_cast<UINT>(text.size()));
  if (result == nullptr) throw std::bad_alloc();
  return result;
}

Variant from_VARIANT(const VARIANT& value) {
  const VARTYPE type = V_VT(&value);
  if (type & VT_ARRAY) {
    return from_SAFEARRAY((type & VT_BYREF) ? *V_ARRAYREF(&value) : V_ARRAY(&value));
  }
  if (type == (VT_BYREF | VT_VARIANT)) return from_VARIANT(*V_VARIANTREF(&value));
  if (type & VT_BYREF) {
    OwnedVariant copy;
    check(VariantCopyInd(copy.get(), const_cast<VARIANT*>(&value)),
          "type mismatch: the reference cannot be read");
    return from_VARIANT(*copy);
  }
  switch (type) {
    case VT_EMPTY:
      return Variant();
    case VT_NULL:
      return Variant::null();
    case VT_I2:
      return Variant::i2(V_I2(&value));
    case VT_I4:
      return Variant::i4(V_I4(&value));
    case VT_R4:
      return Variant::r4(V_R4(&value));
    case VT_R8:
      return Variant::number(V_R8(&value));
    case VT_DATE:
      return Variant::date(V_DATE(&value));
    case VT_BSTR:
      return Variant::text(from_BSTR(V_BSTR(&value)));
    case VT_BOOL:
      return Variant::boolean(V_BOOL(&value) != VARIANT_FALSE);
    case VT_ERROR:
      return Variant::error(static_cast<std::uint32_t>(V_ERROR(&value)));
    case VT_DISPATCH:
      return from_object(V_DISPATCH(&value));
    case VT_UNKNOWN:
      return from_object(V_UNKNOWN(&value));
    case VT_CY:
    case VT_DECIMAL:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
      return other_number(value);
    default:
      fail(FailureKind::type_mismatch, "the argument's type is not supported");
  }
}

Variant from_SAFEARRAY(const SAFEARRAY* constant_array) {
  if (constant_array == nullptr) return Variant::array(Array::one_dimensional(0, 0));
  // The SAFEARRAY calls take no const pointer but change nothing here.
  auto* array = const_cast<SAFEARRAY*>(constant_array);
  VARTYPE type = VT_EMPTY;
  check(SafeArrayGetVartype(array, &type), "type mismatch: the array's type is unknown");
  const UINT size = SafeArrayGetElemsize(array);

  Array result = Array::with_bounds(bounds_of(array));
  result.set_element_type(core_element_type(type));
  ArrayLock lock(array);
  IndexWalk walk(result.bounds());
  for (Variant& element : result.elements()) {
    void* data = nullptr;
    check(SafeArrayPtrOfIndex(array, walk.current(), &data), "subscript out of range");
    element = element_value(data, type, size);
    walk.advance();
  }
  return Variant::array(std::move(result));
}

void to_VARIANT(const Variant& value, VARIANT& target) {
  VARIANT made;
  VariantInit(&made);
  fill_VARIANT(value, made);
  VariantClear(&target);
  target = made;
}

SAFEARRAY* to_SAFEARRAY(const Array& array) {
  std::vector<ArrayBound> bounds(array.bounds().begin(), array.bounds().end());
  if (bounds.empty()) bounds.push_back({0, 0});  // an array without dimensions: empty
  std::vector<SAFEARRAYBOUND> automation_bounds;
  for (const ArrayBound& bound : bounds) {
    if (bound.count > std::numeric_limits<ULONG>::max()) throw std::bad_alloc();
    automation_bounds.push_back({static_cast<ULONG>(bound.count), bound.lower});
  }
  const bool texts = array.element_type() == VariantType::text;
  ArrayUnderConstruction made(texts ? VT_BSTR : VT_VARIANT, automation_bounds);
  ArrayLock lock(made.get());
  IndexWalk walk(bounds);
  for (const Variant& element : array.elements()) {
    void* data = nullptr;
    check(SafeArrayPtrOfIndex(made.get(), walk.current(), &data), "subscript out of range");
    if (texts) {
      *static_cast<BSTR*>(data) = to_BSTR(to_text(element));
    } else {
      fill_VARIANT(element, *static_cast<VARIANT*>(data));
    }
    walk.advance();
  }
  return made.release();
}

void write_back(VARIANT& argument, const Variant& value) {
  const VARTYPE type = V_VT(&argument);
  if (!(type & VT_BYREF)) return to_VARIANT(value, argument);
  if (type == (VT_BYREF | VT_VARIANT)) return to_VARIANT(value, *V_VARIANTREF(&argument));
  if (type == (VT_BYREF | VT_DISPATCH) && value.is_object()) {
    OwnedVariant object(value);
    IDispatch*& caller = *V_DISPATCHREF(&argument);
    if (caller != nullptr) caller->Release();
    caller = V_DISPATCH(object.get());
    V_VT(object.get()) = VT_EMPTY;  // the reference now belongs to the caller
    return;
  }
  if (type == (VT_BYREF | VT_ARRAY | VT_VARIANT) && value.is_array() &&
      value.array_value().element_type() != VariantType::text) {
    SAFEARRAY* made = to_SAFEARRAY(value.array_value());
    SafeArrayDestroy(*V_ARRAYREF(&argument));
    *V_ARRAYREF(&argument) = made;
    return;
  }
  try {
    store_typed(argument, value);
  } catch (const Failure&) {
    // The caller's variable cannot hold the value: it keeps its own, as a typed variable does.
  }
}

}  // namespace kestrune
