#include "web/DecodePageText.h"

#include <utility>

#include "automation/ComObject.h"
#include "automation/MemberCall.h"
#include "automation/RegexObject.h"
#include "automation/Variant.h"
#include "system/ProcessPendingMessages.h"

namespace {

constexpr char kCharsetPattern[] = "<meta.+?charset=[^\\w]?([-\\w]+)";
// Only the head of a page declares its charset; the search stays cheap on big pages.
constexpr size_t kSearchWindow = 1024;

enum StreamType { kBinary = 1, kTextType = 2 };
constexpr int kReadWrite = 3;

Text DeclaredCharset(RegexObject& regex, TextView bodyText) {
  if (!regex.Match(kCharsetPattern, bodyText.substr(0, kSearchWindow))) return {};
  return regex.SubMatchText(1, 1);
}

// The body re-read from `charset` through the data stream; `bodyText` is
// replaced only when the stream produced the text, since a failed read would
// otherwise throw the whole page away. False when the bytes could not be
// given room.
bool DecodeThroughStream(const ByteSet& body, TextView charset, Text& bodyText) {
  ComObject stream;
  if (!stream.Create("Adodb.Stream")) return true;
  Variant bytes;
  if (!bytes.SetBytes(body)) return false;
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
    if (LastComError() == kComSuccess) bodyText = std::move(decoded);
  }
  CallMethod(stream, "Close");
  stream.Clear();
  bytes.Clear();
  return true;
}

}  // namespace

bool DecodePageText(const ByteSet& body, Text& bodyText, PageDecoder* decoder) {
  PageDecoder ownDecoder;
  PageDecoder& used = decoder ? *decoder : ownDecoder;
  const Text charset = DeclaredCharset(used.charsetPattern, bodyText);
  bool held = true;
  if (!charset.empty() && charset != "gbk" && charset != "gb2312") held = DecodeThroughStream(body, charset, bodyText);
  ProcessPendingMessages();
  return held;
}
