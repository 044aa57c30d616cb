#pragma once
// Saving the result list to a file: every row in the order the list shows
// it, as a spreadsheet's CSV (UTF-8 with a byte-order mark, RFC 4180), a
// tab-separated file (UTF-8) or a list of links (UTF-8, one magnet: link a
// line, CR LF). The file is written beside the chosen name under a temporary
// one and put in place only when whole; a failure is told ("提示", with the
// system's reason), the temporary file removed, an earlier file of that name
// left as it was. UI thread only; the window answers while it writes.
#include <string>

#include "app/SearchState.h"

enum class ExportFormat { Csv, Tsv, Links };

// The file name extension of the format, without its dot: "csv", "tsv", "txt".
[[nodiscard]] const wchar_t* ExportExtension(ExportFormat format);

// Writes the list's rows to `path`; true once the file is in place. Tells
// the user the outcome (rows written; during a search, that the search goes
// on) or the failure.
bool ExportList(AppState& app, const std::wstring& path, ExportFormat format);
