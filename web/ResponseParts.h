#pragma once
// What a request reads of a response without WinHttp: the status from the
// raw header block, the length it announces, whether a redirect leaves TLS,
// and the body gathered chunk by chunk under a cap. Platform-free.
#include <cstddef>

#include "text/Text.h"

// The bytes from the 10th of the raw header block up to the first CR LF at or
// after it ("200 OK" of "HTTP/1.1 200 OK\r\n..."); empty without one.
[[nodiscard]] Text StatusOfHeaders(const Text& rawHeaders);

// The three-digit code a status starts with ("404 Not Found": 404), or 0.
[[nodiscard]] int StatusCode(TextView statusText);

// The length the headers announce (Content-Length), or -1 without one.
[[nodiscard]] long long AnnouncedLength(const Text& rawHeaders);

// A redirect status (3xx) whose target is a plain http address.
[[nodiscard]] bool RedirectsToPlainHttp(TextView statusText, TextView location);

enum class BodyRoom {
  Made,
  PastBound,  // the chunk would take the body past its bound
  Refused,    // the system (or a test's limit, system/Room.h) gave no room for it
};

// Makes room in `body` for `chunk` more bytes after those it holds, unless
// that would take it past `mostBytes` (0: no bound) or the room is refused:
// then `body` is left as it was. The room is the body's size; the caller
// shrinks it to what arrived. Its capacity never goes past the bound, so a
// capped body never costs more than the cap.
[[nodiscard]] BodyRoom MakeRoomForChunk(ByteSet& body, size_t chunk, size_t mostBytes);
