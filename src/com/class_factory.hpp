// The class factory of clsKestrune, which DllGetClassObject hands out.
//
//   IClassFactory* factory = nullptr;
//   get_class_factory(IID_IClassFactory, reinterpret_cast<void**>(&factory));
#pragma once

#include <windows.h>

#include <oleauto.h>

namespace kestrune {

HRESULT get_class_factory(REFIID iid, void** factory);

}  // namespace kestrune
