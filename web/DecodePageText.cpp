#include "web/DecodePageText.h"

#include <utility>

#include "automation/ComObject.h"
#include "automation/MemberCall.h"
#include "automation/RegexObject.h"
#include "automation/Variant.h"
#include "system/ProcessPendingMessages.h"
#include "text/Charsets.h"
#include "text/CodePage936.h"
#include "web/CharsetDeclaration.h"

namespace {

constexpr char kCharsetPattern[] = "<meta.+?charset=[^\\w]?([-\\w]+)";
// Only the head of a page declares its charset; the search stays cheap on big pages.
constexpr size_t kSearchWindow = 1024;

enum StreamType { kBinary = 1, kTextType = 2 };
constexpr int kReadWrite = 3;

// The body re-read from `charset` through the data stream; `bodyText` is
// replaced only when the stream produced the text, since a failed read would
// otherwise throw the whole page away. False when it did not.
bool DecodeThroughStream(const ByteSet& body, TextView charset, Text& bodyText) {
  ComObject stream;
  if (!stream.Create("Adodb.Stream", ComObject::Servers::InProcess)) return false;
  bool decodedText = false;
  Variant bytes;
  bytes.SetBytes(body);
  WriteProperty(stream, "Type", static_cast<int>(kBinary));
  WriteProperty(stream, "Mode", kReadWrite);
  CallMethod(stream, "Open");
  CallMethod(stream, "Write", bytes);
  WriteProperty(stream, "Position", 0);
  WriteProperty(stream, "Type", static_cast<int>(kTextType));
  // A charset the stream refuses would leave it reading in its own default,
  // which garbles the page: the text stays as it came instead.
  if (WriteProperty(stream, "Charset", charset)) {
    Text decoded = CallTextMethod(stream, "ReadText");
    decodedText = LastComError() == kComSuccess;
    if (decodedText) bodyText = std::move(decoded);
  }
  CallMethod(stream, "Close");
  stream.Clear();
  bytes.Clear();
  return decodedText;
}

// The body re-read from `charset` through the code page it names, as the
// stream would: its byte-order mark left out, the text up to its first zero
// character, in code page 936. `bodyText` stays when no code page serves the
// charset.
void DecodeThroughCodePage(const ByteSet& body, TextView charset, Text& bodyText) {
  const unsigned codePage = CodePageOfCharset(TextToUtf16(charset).c_str());
  if (codePage == 0 || body.empty()) return;
  std::wstring wide;
  if (codePage == kUtf16CodePage) {
    wide.reserve(body.size() / 2);
    for (size_t at = 0; at + 1 < body.size(); at += 2) wide += wchar_t(body[at] | body[at + 1] << 8);
  } else {
    const int count = MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(body.data()), int(body.size()),
                                          nullptr, 0);
    if (count <= 0) return;
    wide.resize(size_t(count));
    MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(body.data()), int(body.size()), wide.data(), count);
  }
  const size_t byteOrderMark = !wide.empty() && wide[0] == L'\uFEFF' ? 1 : 0;
  bodyText = Utf16ToText(wide.c_str() + byteOrderMark, int(wide.size() - byteOrderMark));
}

}  // namespace

void DecodePageText(const ByteSet& body, Text& bodyText, PageDecoder* decoder) {
  PageDecoder ownDecoder;
  PageDecoder& used = decoder ? *decoder : ownDecoder;
  const Text charset = DeclaredCharset(used, bodyText);
  if (!charset.empty() && charset != "gbk" && charset != "gb2312" && !DecodeThroughStream(body, charset, bodyText))
    DecodeThroughCodePage(body, charset, bodyText);
  ProcessPendingMessages();
}

Text DeclaredCharset(PageDecoder& decoder, TextView bodyText) {
  const TextView head = bodyText.substr(0, kSearchWindow);
  RegexObject& regex = decoder.charsetPattern;
  if (decoder.engineFirst && regex.Match(kCharsetPattern, head))
    return regex.MatchCount() > 0 ? regex.SubMatchText(1, 1) : Text();
  return Utf16ToText(CharsetDeclaredIn(TextToUtf16(head), regex.EngineDotStops()));
}
