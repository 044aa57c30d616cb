#include "web/DecodePageText.h"

#include <utility>

#include "automation/ComObject.h"
#include "automation/MemberCall.h"
#include "automation/RegexObject.h"
#include "automation/Variant.h"
#include "system/ProcessPendingMessages.h"
#include "system/Room.h"
#include "text/Charsets.h"
#include "text/CodePage936.h"
#include "web/CharsetDeclaration.h"

namespace {

constexpr char kCharsetPattern[] = "<meta.+?charset=[^\\w]?([-\\w]+)";
// Only the head of a page declares its charset; the search stays cheap on big pages.
constexpr size_t kSearchWindow = 1024;

enum StreamType { kBinary = 1, kTextType = 2 };
constexpr int kReadWrite = 3;

enum class StreamDecoding { Done, NotDone, NoRoom };

// The body re-read from `charset` through the data stream; `bodyText` is
// replaced only when the stream produced the text, since a failed read would
// otherwise throw the whole page away.
StreamDecoding DecodeThroughStream(const ByteSet& body, TextView charset, Text& bodyText) {
  ComObject stream;
  if (!stream.Create("Adodb.Stream", ComObject::Servers::InProcess)) return StreamDecoding::NotDone;
  bool decodedText = false;
  Variant bytes;
  if (!bytes.SetBytes(body)) return StreamDecoding::NoRoom;
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
  return decodedText ? StreamDecoding::Done : StreamDecoding::NotDone;
}

// The body re-read from `charset` through the code page it names, as the
// stream would: its byte-order mark left out, the text up to its first zero
// character, in code page 936. `bodyText` stays when no code page serves the
// charset; false when the UTF-16 text could not be given room.
bool DecodeThroughCodePage(const ByteSet& body, TextView charset, Text& bodyText) {
  const unsigned codePage = CodePageOfCharset(TextToUtf16(charset).c_str());
  if (codePage == 0 || body.empty()) return true;
  std::wstring wide;
  if (codePage == kUtf16CodePage) {
    if (!ReserveRoom(wide, body.size() / 2)) return false;
    for (size_t at = 0; at + 1 < body.size(); at += 2) wide += wchar_t(body[at] | body[at + 1] << 8);
  } else {
    const int count = MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(body.data()), int(body.size()),
                                          nullptr, 0);
    if (count <= 0) return true;
    if (!ReserveRoom(wide, size_t(count))) return false;
    wide.resize(size_t(count));
    MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(body.data()), int(body.size()), wide.data(), count);
  }
  const size_t byteOrderMark = !wide.empty() && wide[0] == L'\uFEFF' ? 1 : 0;
  bodyText = Utf16ToText(wide.c_str() + byteOrderMark, int(wide.size() - byteOrderMark));
  return true;
}

}  // namespace

bool DecodePageText(const ByteSet& body, Text& bodyText, PageDecoder* decoder) {
  PageDecoder ownDecoder;
  PageDecoder& used = decoder ? *decoder : ownDecoder;
  const Text charset = DeclaredCharset(used, bodyText);
  bool held = true;
  if (!charset.empty() && charset != "gbk" && charset != "gb2312") {
    switch (DecodeThroughStream(body, charset, bodyText)) {
      case StreamDecoding::Done:
        break;
      case StreamDecoding::NotDone:
        held = DecodeThroughCodePage(body, charset, bodyText);
        break;
      case StreamDecoding::NoRoom:
        held = false;
        break;
    }
  }
  ProcessPendingMessages();
  return held;
}

Text DeclaredCharset(PageDecoder& decoder, TextView bodyText) {
  const TextView head = bodyText.substr(0, kSearchWindow);
  RegexObject& regex = decoder.charsetPattern;
  if (decoder.engineFirst && regex.Match(kCharsetPattern, head))
    return regex.MatchCount() > 0 ? regex.SubMatchText(1, 1) : Text();
  return Utf16ToText(CharsetDeclaredIn(TextToUtf16(head), regex.EngineDotStops()));
}
