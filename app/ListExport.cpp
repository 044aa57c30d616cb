// Temporary: records the call and writes nothing, until the writer is in.
#include "app/ListExport.h"

#include "app/ListExportStub.h"

std::vector<ListExportCall>& ListExportCalls() {
  static std::vector<ListExportCall> calls;
  return calls;
}

const wchar_t* ExportExtension(ExportFormat format) {
  switch (format) {
    case ExportFormat::Csv: return L"csv";
    case ExportFormat::Tsv: return L"tsv";
    case ExportFormat::Links: return L"txt";
  }
  return L"csv";
}

bool ExportList(AppState&, const std::wstring& path, ExportFormat format) {
  ListExportCalls().push_back({path, format});
  return true;
}
