// The stand-in stream's state and charsets against a plain model of their
// rules: every operation of a sequence gives the model's fault and leaves the
// model's type, mode, charset and position; a text read hands on exactly the
// bytes from the position to the end, less the charset's byte-order mark at
// the stream's start, with the charset's code page. A charset name is known
// in any ASCII letter case and only when it is all ASCII, so that no other
// letter passes for one (the Kelvin sign for K, the long s for s, ...).
// Input: options byte, the charset name (a byte of 0x80 or more is one of the
// look-alike letters below), the operations (one a byte), the written bytes.
#include <string>
#include <vector>

#include "tests/fuzz/FuzzInput.h"
#include "text/Charsets.h"
#include "wine/AdodbStream/StreamState.h"

namespace {

const wchar_t kLookAlikes[] = {L'\u212A', L'\u017F', L'\u0130', L'\u0131', L'\uFF55', L'\u00C5', L'\u00E9', L'\u0000'};

std::wstring CharsetName(TextView field) {
  std::wstring name;
  for (char byte : field) {
    const auto value = static_cast<unsigned char>(byte);
    name += value < 0x80 ? wchar_t(value) : kLookAlikes[value & 7];
  }
  return name.substr(0, name.find(L'\0'));
}

std::wstring WithAsciiCase(std::wstring name, bool upper) {
  for (wchar_t& letter : name) {
    if (upper && letter >= L'a' && letter <= L'z') letter = wchar_t(letter - 32);
    if (!upper && letter >= L'A' && letter <= L'Z') letter = wchar_t(letter + 32);
  }
  return name;
}

void CheckCharsetNames(const std::wstring& name) {
  const unsigned codePage = CodePageOfCharset(name.c_str());
  if (codePage) {
    for (wchar_t letter : name) FUZZ_CHECK(letter < 0x80);
  }
  FUZZ_CHECK(CodePageOfCharset(WithAsciiCase(name, true).c_str()) == codePage);
  FUZZ_CHECK(CodePageOfCharset(WithAsciiCase(name, false).c_str()) == codePage);
}

// The rules, plainly.
struct Model {
  bool open = false;
  long type = StreamState::kTextType;
  long mode = 0;
  size_t position = 0;
  std::wstring charset = L"Unicode";
  std::vector<unsigned char> bytes;

  bool AtStart() const { return !open || position == 0; }
};

size_t MarkLength(unsigned codePage, const std::vector<unsigned char>& bytes) {
  const std::vector<unsigned char> utf8Mark = {0xEF, 0xBB, 0xBF}, utf16Mark = {0xFF, 0xFE};
  const std::vector<unsigned char>& mark = codePage == kUtf8CodePage ? utf8Mark : utf16Mark;
  if (codePage != kUtf8CodePage && codePage != kUtf16CodePage) return 0;
  if (bytes.size() < mark.size() || !std::equal(mark.begin(), mark.end(), bytes.begin())) return 0;
  return mark.size();
}

StreamFault ModelTextRead(const Model& model, std::vector<unsigned char>& text, unsigned& codePage) {
  if (!model.open) return StreamFault::Closed;
  if (model.type != StreamState::kTextType) return StreamFault::NotAllowedHere;
  codePage = CodePageOfCharset(model.charset.c_str());
  if (!codePage) return StreamFault::UnknownCharset;
  text.assign(model.bytes.begin() + long(model.position), model.bytes.end());
  if (model.position == 0) text.erase(text.begin(), text.begin() + long(MarkLength(codePage, text)));
  return StreamFault::None;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input = ReadFuzzInput(data, size, 3);
  const std::wstring name = CharsetName(input.fields[0]);
  CheckCharsetNames(name);
  const std::wstring names[] = {name, L"utf-8", L"Unicode", L"GBK"};
  const TextView written = input.fields[2];
  size_t writtenAt = 0;

  StreamState state;
  Model model;
  for (char operation : input.fields[1]) {
    const auto code = static_cast<unsigned char>(operation);
    const long argument = code / 8;
    StreamFault expected = StreamFault::None, fault = StreamFault::None;
    switch (code % 8) {
      case 0:
        expected = model.open ? StreamFault::AlreadyOpen : StreamFault::None;
        if (!model.open) model.open = true, model.position = 0, model.bytes.clear();
        fault = state.Open();
        break;
      case 1:
        expected = model.open ? StreamFault::None : StreamFault::Closed;
        model.open = false, model.position = 0, model.bytes.clear();
        fault = state.Close();
        break;
      case 2: {
        const long type = argument % 3;
        expected = type == 0 ? StreamFault::BadValue : model.AtStart() ? StreamFault::None : StreamFault::NotAllowedHere;
        if (expected == StreamFault::None) model.type = type;
        fault = state.SetType(type);
        break;
      }
      case 3: {
        const long position = argument - 2;
        expected = !model.open ? StreamFault::Closed
                   : position < 0 || size_t(position) > model.bytes.size() ? StreamFault::BadValue
                                                                            : StreamFault::None;
        if (expected == StreamFault::None) model.position = size_t(position);
        fault = state.SetPosition(position);
        break;
      }
      case 4: {
        const std::wstring& charset = names[argument % 4];
        expected = model.AtStart() ? StreamFault::None : StreamFault::NotAllowedHere;
        if (expected == StreamFault::None) model.charset = charset;
        fault = state.SetCharset(charset.c_str());
        break;
      }
      case 5: {
        const size_t count = std::min(size_t(argument), written.size() - writtenAt);
        const auto* bytes = reinterpret_cast<const unsigned char*>(written.data() + writtenAt);
        expected = !model.open ? StreamFault::Closed
                   : model.type != StreamState::kBinaryType ? StreamFault::NotAllowedHere
                                                            : StreamFault::None;
        if (expected == StreamFault::None) {
          if (model.position + count > model.bytes.size()) model.bytes.resize(model.position + count);
          std::copy(bytes, bytes + count, model.bytes.begin() + long(model.position));
          model.position += count;
          writtenAt += count;
        }
        fault = state.Write(bytes, count);
        break;
      }
      case 6: {
        std::vector<unsigned char> text;
        unsigned codePage = 0;
        expected = ModelTextRead(model, text, codePage);
        TextBytes read;
        fault = state.TextToRead(read);
        if (fault == StreamFault::None) {
          FUZZ_CHECK(read.codePage == codePage);
          FUZZ_CHECK(std::vector<unsigned char>(read.data, read.data + read.count) == text);
          if (argument % 2) {
            state.TextWasRead();
            model.position = model.bytes.size();
          }
        }
        break;
      }
      default: {
        const long mode = argument - 1;
        expected = model.open ? StreamFault::AlreadyOpen : mode < 0 ? StreamFault::BadValue : StreamFault::None;
        if (expected == StreamFault::None) model.mode = mode;
        fault = state.SetMode(mode);
        break;
      }
    }
    FUZZ_CHECK(fault == expected);
    FUZZ_CHECK(state.Type() == model.type && state.Mode() == model.mode && state.Charset() == model.charset);
    long position = -1;
    FUZZ_CHECK(state.Position(position) == (model.open ? StreamFault::None : StreamFault::Closed));
    FUZZ_CHECK(size_t(position) == (model.open ? model.position : 0));
  }
  return 0;
}
