#include "tests/web/ConnectProxy.h"

#include <windows.h>

#include <cstdio>

#include "web/WebRequest.h"

namespace {

constexpr const wchar_t* kConnections = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
constexpr const wchar_t* kDefaultSettings = L"DefaultConnectionSettings";

void AppendNumber(std::string& record, DWORD number) {
  record.append(reinterpret_cast<const char*>(&number), sizeof number);
}

void AppendText(std::string& record, const std::string& text) {
  AppendNumber(record, DWORD(text.size()));
  record += text;
}

// The binary record of one connection's settings: version, change counter,
// flags, then the proxy, the bypass list and the script address, each counted;
// what follows them (the detection's own state) is left zero.
std::string SettingsRecord(const std::string& proxy, const std::string& bypass, const std::string& scriptUrl) {
  constexpr DWORD kDirect = 1, kProxy = 2, kScript = 4;
  std::string record;
  AppendNumber(record, 0x46);
  AppendNumber(record, 0);
  AppendNumber(record, kDirect | (proxy.empty() ? 0 : kProxy) | (scriptUrl.empty() ? 0 : kScript));
  AppendText(record, proxy);
  AppendText(record, bypass);
  AppendText(record, scriptUrl);
  record.append(32, '\0');
  return record;
}

void WriteSettings(const std::string& record) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kConnections, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(key, kDefaultSettings, 0, REG_BINARY, reinterpret_cast<const BYTE*>(record.data()),
                 DWORD(record.size()));
  RegCloseKey(key);
}

}  // namespace

void ConnectProxy::Stop() {
  if (port == 0) return;
  WebRequestOptions options;
  options.timeoutSeconds = 5;
  (void)WebRequest("http://" + Address() + "/__stop", options);
  // Wine gives no handle of a Linux process to wait for: the log says when
  // every tunnel is closed.
  for (int waited = 0; waited < 5000 && !Logged("stopped"); waited += 50) Sleep(50);
  process.AwaitEnd();
  DeleteFileA(WindowsPath(logFile).c_str());
  port = 0;
}

bool ConnectProxy::Start() {
  const Text base = Text(SEED_TEST_WORK_DIR) + "/proxy-" + DecimalText(GetCurrentProcessId());
  logFile = base + ".log";
  DeleteFileA(WindowsPath(logFile).c_str());
  port = process.Start("Z:\\usr\\bin\\python3 " + Text(SEED_CONNECT_PROXY_SCRIPT) + " " + base + ".port " + logFile +
                           " --idle 120",
                       base + ".port");
  return port != 0;
}

void ConnectProxy::DropTunnels() {
  WebRequestOptions options;
  options.timeoutSeconds = 5;
  (void)WebRequest("http://" + Address() + "/__drop", options);
}

Text ConnectProxy::ScriptUrl() const { return "http://" + Address() + "/proxy.pac"; }

Text ConnectProxy::DrippingScriptUrl() const { return "http://" + Address() + "/drip.pac"; }

size_t ConnectProxy::DrippingScriptRequests() const {
  size_t requests = 0;
  for (const Text& line : LogLines()) requests += line == "GET /drip.pac";
  return requests;
}

Text ConnectProxy::Address() const { return "127.0.0.1:" + DecimalText(port); }

TextList ConnectProxy::Tunnels() const {
  TextList tunnels;
  for (const Text& line : LogLines())
    if (line.rfind("CONNECT ", 0) == 0) tunnels.push_back(line);
  return tunnels;
}

bool ConnectProxy::Logged(const Text& wanted) const {
  for (const Text& line : LogLines())
    if (line == wanted) return true;
  return false;
}

TextList ConnectProxy::LogLines() const {
  TextList lines;
  FILE* log = std::fopen(WindowsPath(logFile).c_str(), "rb");
  if (!log) return lines;
  char line[512];
  while (std::fgets(line, sizeof line, log)) {
    Text text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    lines.push_back(text);
  }
  std::fclose(log);
  return lines;
}

UserProxySettings::UserProxySettings(const std::string& proxy, const std::string& bypass, const std::string& scriptUrl) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kConnections, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD size = 0;
    if (RegQueryValueExW(key, kDefaultSettings, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
      earlier.resize(size);
      hadEarlier = RegQueryValueExW(key, kDefaultSettings, nullptr, nullptr, reinterpret_cast<BYTE*>(earlier.data()),
                                    &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
  }
  WriteSettings(SettingsRecord(proxy, bypass, scriptUrl));
}

UserProxySettings::~UserProxySettings() {
  if (hadEarlier) {
    WriteSettings(earlier);
    return;
  }
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kConnections, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, kDefaultSettings);
  RegCloseKey(key);
}
