#pragma once
// Temporary: the writer's stand-in records each call instead of writing.
#include <string>
#include <vector>

enum class ExportFormat;  // app/ListExport.h

struct ListExportCall {
  std::wstring path;
  ExportFormat format;
};

// The calls so far, oldest first; the tests clear it.
std::vector<ListExportCall>& ListExportCalls();
