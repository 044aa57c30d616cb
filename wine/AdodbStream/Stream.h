#pragma once
// The stream as an Automation object: IDispatch with type information, so
// that a late-bound caller can bind the members by name through ITypeComp.
#include <windows.h>
#include <oaidl.h>

// A new stream answering `interfaceId`, or the failure.
[[nodiscard]] HRESULT CreateStream(REFIID interfaceId, void** object);

// Streams and class-factory locks alive in this module (for DllCanUnloadNow).
LONG LiveStreamReferences();
void LockStreamModule(bool lock);
