#pragma once
// The identity under which the stand-in stream is registered in a Wine prefix.
#include <windows.h>
#include <objbase.h>

// {C0006824-F5BF-4037-A14A-2434E6DA48F0}: our own class id, so that Wine's
// registration of its own stream class is left as it is.
inline constexpr CLSID kStreamClassId = {
    0xc0006824, 0xf5bf, 0x4037, {0xa1, 0x4a, 0x24, 0x34, 0xe6, 0xda, 0x48, 0xf0}};
inline constexpr wchar_t kStreamClassIdText[] = L"{C0006824-F5BF-4037-A14A-2434E6DA48F0}";
inline constexpr wchar_t kStreamProgId[] = L"Adodb.Stream";
inline constexpr wchar_t kStreamDllName[] = L"AdodbStream.dll";
