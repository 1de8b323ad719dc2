// ValueDispatch: a core object (a cell reference made inside the core or by a test client)
// handed to an automation caller as an IDispatch whose default member is its value.
//
// Reading DISPID_VALUE (or the member "Value") gives the object's Value(); nothing else is
// offered.
//
//   IDispatch* cell = make_value_dispatch(std::make_shared<ValueObject>(Variant::number(5)));
//   ... V_VT(&v) = VT_DISPATCH; V_DISPATCH(&v) = cell;   // the VARIANT owns the reference
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <memory>

#include "variant/variant.hpp"

namespace kestrune {

// A new object with one reference, owned by the caller; std::bad_alloc when memory is short.
IDispatch* make_value_dispatch(std::shared_ptr<const Object> object);

}  // namespace kestrune
