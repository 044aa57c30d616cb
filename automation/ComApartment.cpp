#include "automation/ComApartment.h"

#include <windows.h>
#include <objbase.h>

#include "system/SystemFunction.h"

namespace {

SystemFunction<decltype(&::CoInitialize)> coInitialize{"ole32.dll", "CoInitialize"};
SystemFunction<decltype(&::CoUninitialize)> coUninitialize{"ole32.dll", "CoUninitialize"};

}  // namespace

ComApartment::ComApartment() : initialised(SUCCEEDED(coInitialize(nullptr))) {}

ComApartment::~ComApartment() {
  if (initialised) coUninitialize();
}
