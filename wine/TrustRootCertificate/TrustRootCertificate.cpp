// trust-root-certificate.exe CA.der
// Adds one DER-encoded certificate to the Root store of the Wine prefix it
// runs in, so that WinHttp accepts a local test server's certificate with
// verification left on. Exit code 0 on success, 1 otherwise. Test and demo
// prefixes only: outside Wine it refuses, leaving a system's roots alone. E.g.
//   wine build/windows/wine/trust-root-certificate.exe certificates/ca.der
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

#include "system/SystemFunction.h"
#include "wine/WineOnly/WineOnly.h"

namespace {

SystemFunction<decltype(&::CertAddEncodedCertificateToSystemStoreA)> addToSystemStore{
    "crypt32.dll", "CertAddEncodedCertificateToSystemStoreA"};

bool ReadFileBytes(const char* path, std::vector<BYTE>& bytes) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  BYTE chunk[4096];
  for (size_t read; (read = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + read);
  std::fclose(file);
  return !bytes.empty();
}

}  // namespace

int main(int argumentCount, char** arguments) {
  if (!RefuseOutsideWine("trust-root-certificate", "add the authority with the system's own tools", FindSystemFunction))
    return 1;
  if (argumentCount != 2) {
    std::fprintf(stderr, "usage: trust-root-certificate.exe CA.der\n");
    return 1;
  }
  std::vector<BYTE> certificate;
  if (!ReadFileBytes(arguments[1], certificate)) {
    std::fprintf(stderr, "cannot read %s\n", arguments[1]);
    return 1;
  }
  if (!addToSystemStore("Root", certificate.data(), DWORD(certificate.size()))) {
    std::fprintf(stderr, "not added to the Root store: error %lu\n", GetLastError());
    return 1;
  }
  return 0;
}
