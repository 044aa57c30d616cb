// The resources of the built seedsearch.exe, read back from the file as the
// system and the shell read them: the manifest (also as the activation
// context made from it), the version record and the icon.
#include <windows.h>

#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "system/Holders.h"
#include "ui/WindowIcon.h"

namespace {

std::wstring ExecutablePath() {
  std::wstring path = L"Z:";
  for (char letter : std::string(SEEDSEARCH_EXE)) path += letter == '/' ? L'\\' : wchar_t(letter);
  return path;
}

struct ActivationContextTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { ReleaseActCtx(handle); }
};
using ActivationContext = UniqueHandle<ActivationContextTraits>;

// windows.h spells the resource types and ids for the ANSI functions (no
// UNICODE here); as integer resources they are the same numbers.
const wchar_t* Wide(const char* integerResource) {
  return MAKEINTRESOURCEW(reinterpret_cast<ULONG_PTR>(integerResource));
}

using Bytes = std::vector<BYTE>;

Bytes ResourceBytes(HMODULE module, const wchar_t* type, const wchar_t* name) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return {};
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  if (!data) return {};
  return Bytes(data, data + SizeofResource(module, found));
}

#pragma pack(push, 2)
struct IconGroupEntry {  // GRPICONDIRENTRY
  BYTE width, height, colourCount, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

// An icon image as the group names it, its pixels as 0xAARRGGBB from the top row.
struct IconImage {
  int size = 0;
  int bitCount = 0;
  std::vector<std::uint32_t> pixels;
  std::vector<bool> masked;  // a set bit of the mask: drawn transparent where no alpha is used
};

IconImage ReadIconImage(HMODULE module, const IconGroupEntry& entry) {
  IconImage image;
  image.size = entry.width ? entry.width : 256;
  image.bitCount = entry.bitCount;
  const Bytes data = ResourceBytes(module, Wide(RT_ICON), MAKEINTRESOURCEW(entry.id));
  const int maskStride = (image.size + 31) / 32 * 4;
  const size_t colourBytes = size_t(image.size) * image.size * 4;
  if (entry.bitCount != 32 || data.size() < sizeof(BITMAPINFOHEADER) + colourBytes + maskStride * image.size)
    return image;
  const BYTE* colour = data.data() + sizeof(BITMAPINFOHEADER);  // rows from the bottom
  const BYTE* mask = colour + colourBytes;
  for (int y = 0; y < image.size; ++y) {
    const int row = image.size - 1 - y;
    for (int x = 0; x < image.size; ++x) {
      const BYTE* pixel = colour + (size_t(row) * image.size + x) * 4;
      image.pixels.push_back(pixel[0] | pixel[1] << 8 | pixel[2] << 16 | std::uint32_t(pixel[3]) << 24);
      image.masked.push_back(mask[row * maskStride + x / 8] & (0x80 >> (x % 8)));
    }
  }
  return image;
}

// The colour pixels of an icon, as 0xAARRGGBB from the top row.
std::vector<std::uint32_t> IconPixels(HICON icon, int size) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return {};
  GdiObject colour(info.hbmColor), mask(info.hbmMask);
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = size;
  format.bmiHeader.biHeight = -size;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(size_t(size) * size);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, static_cast<HBITMAP>(colour.Get()), 0, size, pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return rows == size ? pixels : std::vector<std::uint32_t>();
}

std::wstring Hex(std::uint32_t value) {
  wchar_t text[16];
  swprintf(text, 16, L"%08X", unsigned(value));
  return text;
}

// Where two images first differ, or "" when they are the same.
std::wstring FirstDifference(const std::vector<std::uint32_t>& got, const std::vector<std::uint32_t>& expected,
                             int size) {
  if (got.size() != expected.size()) return L"different sizes";
  for (size_t index = 0; index < got.size(); ++index)
    if (got[index] != expected[index])
      return L"at x " + std::to_wstring(index % size) + L", y " + std::to_wstring(index / size) + L": " +
             Hex(got[index]) + L" for " + Hex(expected[index]);
  return L"";
}

class ExecutableResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module = LoadLibraryExW(ExecutablePath().c_str(), nullptr,
                            LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }
  static void TearDownTestSuite() {
    if (module) FreeLibrary(module);
    module = nullptr;
  }
  void SetUp() override { ASSERT_NE(module, nullptr) << "cannot load " << SEEDSEARCH_EXE << ": " << GetLastError(); }

  // The activation context the system makes for the program from its manifest.
  static ActivationContext ProgramContext() {
    const std::wstring path = ExecutablePath();
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = Wide(CREATEPROCESS_MANIFEST_RESOURCE_ID);
    return ActivationContext(CreateActCtxW(&request));
  }

  static std::string Manifest() {
    const Bytes bytes = ResourceBytes(module, Wide(RT_MANIFEST), Wide(CREATEPROCESS_MANIFEST_RESOURCE_ID));
    return std::string(bytes.begin(), bytes.end());
  }

  // The icon groups in the order of the file's resource directory, which is
  // the order the shell takes them in.
  static std::vector<std::wstring> IconGroupNames() {
    std::vector<std::wstring> names;
    EnumResourceNamesW(module, Wide(RT_GROUP_ICON), AddName, reinterpret_cast<LONG_PTR>(&names));
    return names;
  }
  static BOOL CALLBACK AddName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(
        IS_INTRESOURCE(name) ? L"#" + std::to_wstring(ULONG_PTR(name)) : std::wstring(name));
    return TRUE;
  }

  static std::vector<IconImage> FirstGroupImages() {
    const std::vector<std::wstring> names = IconGroupNames();
    if (names.empty()) return {};
    const Bytes group = ResourceBytes(module, Wide(RT_GROUP_ICON), names.front().c_str());
    if (group.size() < 6) return {};
    const WORD count = WORD(group[4] | group[5] << 8);
    if (group.size() < 6 + count * sizeof(IconGroupEntry)) return {};
    std::vector<IconImage> images;
    for (WORD index = 0; index < count; ++index) {
      IconGroupEntry entry;
      memcpy(&entry, group.data() + 6 + index * sizeof entry, sizeof entry);
      images.push_back(ReadIconImage(module, entry));
    }
    return images;
  }

  static HMODULE module;
};

HMODULE ExecutableResources::module = nullptr;

TEST_F(ExecutableResources, TheManifestIsResourceOneAndAsksForCommonControlsSixWindows7To11AndPerMonitorDpi) {
  const std::string manifest = Manifest();
  ASSERT_FALSE(manifest.empty()) << "no manifest resource 1";
  for (const char* part : {
           R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
           R"(publicKeyToken="6595b64144ccf1df")",
           R"(<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>)",  // Windows 7
           R"(<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>)",  // Windows 8
           R"(<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>)",  // Windows 8.1
           R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",  // Windows 10 and 11
           R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>)",
           R"(<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2, PerMonitor<)",
       })
    EXPECT_TRUE(manifest.find(part) != std::string::npos) << "missing: " << part;
}

TEST_F(ExecutableResources, TheSystemResolvesTheManifestsDependencyOnCommonControlsSix) {
  ActivationContext context = ProgramContext();
  ASSERT_TRUE(context) << "the manifest makes no activation context: " << GetLastError();
  // Index 1 is the program's own assembly, the dependencies follow.
  // Both records are followed by their strings: room for those.
  alignas(8) BYTE buffer[4096];
  ASSERT_TRUE(QueryActCtxW(0, context.Get(), nullptr, ActivationContextDetailedInformation, buffer, sizeof buffer,
                           nullptr));
  const DWORD assemblies = reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(buffer)->ulAssemblyCount;
  std::vector<std::wstring> dependencies;
  for (DWORD index = 2; index <= assemblies; ++index) {
    if (!QueryActCtxW(0, context.Get(), &index, AssemblyDetailedInformationInActivationContext, buffer, sizeof buffer,
                      nullptr))
      continue;
    const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer);
    if (assembly->lpAssemblyEncodedAssemblyIdentity) dependencies.push_back(assembly->lpAssemblyEncodedAssemblyIdentity);
  }
  ASSERT_EQ(dependencies.size(), 1u);
  // The identity of the installed assembly it resolved to, e.g.
  // Microsoft.Windows.Common-Controls,processorArchitecture="x86",...,version="6.0.2600.2982"
  EXPECT_EQ(dependencies[0].rfind(L"Microsoft.Windows.Common-Controls,", 0), 0u) << dependencies[0];
  EXPECT_NE(dependencies[0].find(L"version=\"6."), std::wstring::npos) << dependencies[0];
}

TEST_F(ExecutableResources, TheSystemReadsTheSupportedSystemsDpiAwarenessAndRunLevelFromTheManifest) {
  ActivationContext context = ProgramContext();
  ASSERT_TRUE(context) << "the manifest makes no activation context: " << GetLastError();

  // The layout of current systems (and Wine's), newer than mingw's header:
  // each element ends in the highest version tested.
  struct Element {
    GUID id;
    DWORD type;
    ULONGLONG maxVersionTested;
  };
  struct Compatibility {
    DWORD count;
    Element elements[16];
  } compatibility = {};
  SIZE_T written = 0;
  ASSERT_TRUE(QueryActCtxW(0, context.Get(), nullptr, CompatibilityInformationInActivationContext, &compatibility,
                           sizeof compatibility, &written));
  ASSERT_EQ(written, offsetof(Compatibility, elements) + compatibility.count * sizeof(Element));
  std::vector<std::wstring> systems;
  for (DWORD index = 0; index < compatibility.count; ++index) {
    wchar_t id[40] = {};
    StringFromGUID2(compatibility.elements[index].id, id, 40);
    if (compatibility.elements[index].type == DWORD(ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS)) systems.push_back(id);
  }
  EXPECT_EQ(systems, (std::vector<std::wstring>{
                         L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}",  // Windows 7
                         L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}",  // Windows 8
                         L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}",  // Windows 8.1
                         L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}",  // Windows 10 and 11
                     }));

  auto setting = [&](const wchar_t* space, const wchar_t* name) {
    wchar_t value[64] = {};
    if (!QueryActCtxSettingsW(0, context.Get(), space, name, value, 64, nullptr)) return std::wstring(L"(none)");
    return std::wstring(value);
  };
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
            L"PerMonitorV2, PerMonitor");

  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION runLevel = {};
  ASSERT_TRUE(QueryActCtxW(0, context.Get(), nullptr, RunlevelInformationInActivationContext, &runLevel,
                           sizeof runLevel, nullptr));
  EXPECT_EQ(runLevel.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
  EXPECT_EQ(runLevel.UiAccess, 0u);
}

TEST_F(ExecutableResources, TheVersionRecordNamesTheProductAndTheProjectVersion) {
  // VerQueryValueW may write into the record: a copy of the resource.
  Bytes record = ResourceBytes(module, Wide(RT_VERSION), MAKEINTRESOURCEW(VS_VERSION_INFO));
  ASSERT_FALSE(record.empty()) << "no version record";

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof *fixed);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  unsigned major = 0, minor = 0, patch = 0, build = 0;
  ASSERT_EQ(std::sscanf(SEEDSEARCH_FILE_VERSION, "%u.%u.%u.%u", &major, &minor, &patch, &build), 4);
  EXPECT_EQ(fixed->dwFileVersionMS, DWORD(major << 16 | minor));
  EXPECT_EQ(fixed->dwFileVersionLS, DWORD(patch << 16 | build));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug, pre-release or patched build";

  // The strings are read in the language and code page the record lists first.
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_GE(length, 4u);
  wchar_t block[64];
  swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
  auto value = [&](const wchar_t* name) {
    wchar_t* text = nullptr;
    UINT characters = 0;
    if (!VerQueryValueW(record.data(), (std::wstring(block) + name).c_str(), reinterpret_cast<void**>(&text),
                        &characters) || !text)
      return std::wstring(L"(none)");
    return std::wstring(text);
  };
  const std::wstring version(SEEDSEARCH_FILE_VERSION, SEEDSEARCH_FILE_VERSION + strlen(SEEDSEARCH_FILE_VERSION));
  EXPECT_EQ(value(L"ProductName"), L"SeedSearch");
  EXPECT_EQ(value(L"FileVersion"), version);
  EXPECT_EQ(value(L"ProductVersion"), version);
  EXPECT_EQ(value(L"OriginalFilename"), L"seedsearch.exe");
  EXPECT_NE(value(L"FileDescription"), L"(none)");
}

TEST_F(ExecutableResources, TheFirstIconGroupHoldsTheWindowIconItselfAndSmallerSizes) {
  const std::vector<IconImage> images = FirstGroupImages();
  std::vector<int> sizes;
  for (const IconImage& image : images) {
    EXPECT_EQ(image.bitCount, 32) << "size " << image.size;
    sizes.push_back(image.size);
  }
  EXPECT_EQ(sizes, (std::vector<int>{68, 48, 32, 16}));
  if (images.empty() || images.front().size != kIconSize) return;

  IconHandle window = CreateWindowIcon();
  ASSERT_TRUE(window);
  EXPECT_EQ(FirstDifference(images.front().pixels, IconPixels(window.Get(), kIconSize), kIconSize), L"");
}

TEST_F(ExecutableResources, EveryIconSizeIsTheSeedOnAClearGroundWithAMatchingMask) {
  const std::uint32_t core = WindowIconPixel(kIconSize / 2, kIconSize / 2);
  for (const IconImage& image : FirstGroupImages()) {
    SCOPED_TRACE("size " + std::to_string(image.size));
    ASSERT_EQ(image.pixels.size(), size_t(image.size) * image.size);
    const int last = image.size - 1, middle = image.size / 2;
    for (int corner : {0, last, last * image.size, last * image.size + last}) {
      EXPECT_EQ(image.pixels[corner], 0u);
      EXPECT_TRUE(image.masked[corner]);
    }
    // The light core, opaque, in the middle of every size.
    EXPECT_EQ(image.pixels[middle * image.size + middle], core);
    EXPECT_FALSE(image.masked[middle * image.size + middle]);
    for (size_t index = 0; index < image.pixels.size(); ++index)
      ASSERT_EQ(image.masked[index], (image.pixels[index] >> 24) == 0) << "pixel " << index;
  }
}

TEST_F(ExecutableResources, TheProgramIsLargeAddressAware) {
  // The file header as the loader reads it: a 32-bit program without the flag
  // gets 2 GB of address space, with it 4 GB on a 64-bit system.
  KernelHandle file(CreateFileW(ExecutablePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                nullptr));
  ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE);
  IMAGE_DOS_HEADER dos = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file.Get(), &dos, sizeof dos, &read, nullptr) && read == sizeof dos);
  ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
  ASSERT_NE(SetFilePointer(file.Get(), dos.e_lfanew, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  DWORD signature = 0;
  IMAGE_FILE_HEADER header = {};
  ASSERT_TRUE(ReadFile(file.Get(), &signature, sizeof signature, &read, nullptr) && read == sizeof signature);
  ASSERT_EQ(signature, DWORD(IMAGE_NT_SIGNATURE));
  ASSERT_TRUE(ReadFile(file.Get(), &header, sizeof header, &read, nullptr) && read == sizeof header);
  EXPECT_EQ(header.Machine, sizeof(void*) == 4 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64);
  EXPECT_TRUE(header.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE) << std::hex << header.Characteristics;
}

TEST_F(ExecutableResources, TheShellTakesTheIconAtIndexZero) {
  const std::wstring path = ExecutablePath();
  HICON large = nullptr, small = nullptr;
  ASSERT_GT(ExtractIconExW(path.c_str(), 0, &large, &small, 1), 0u);
  IconHandle largeIcon(large), smallIcon(small);
  ASSERT_TRUE(largeIcon);
  ASSERT_TRUE(smallIcon);
  const int size = GetSystemMetrics(SM_CXICON), middle = size / 2;
  const std::vector<std::uint32_t> pixels = IconPixels(largeIcon.Get(), size);
  ASSERT_EQ(pixels.size(), size_t(size) * size);
  EXPECT_EQ(pixels[middle * size + middle], WindowIconPixel(kIconSize / 2, kIconSize / 2));
  EXPECT_EQ(pixels[0] >> 24, 0u);
}

}  // namespace
