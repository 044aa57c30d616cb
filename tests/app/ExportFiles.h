#pragma once
// Files that the tests of saving the list write and read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A folder of its own under the system's temporary folder, emptied and
// removed at the end.
struct ExportFolder {
  std::wstring path;
  ExportFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    path = std::wstring(base) + L"list-export-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(GetTickCount());
    EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    path += L"\\";
  }
  ~ExportFolder() {
    for (const std::wstring& name : Names()) {
      SetFileAttributesW((path + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW((path + name).c_str());
    }
    RemoveDirectoryW(path.c_str());
  }
  // The names of the files it holds.
  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }
};

inline std::string FileBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(none)";
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

inline void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(file);
}
