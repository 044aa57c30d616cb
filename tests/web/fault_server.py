#!/usr/bin/env python3
"""A search site that misbehaves, for the fault tests.

fault_server.py PORT_FILE [--tls CERT KEY] [--untrusted-tls CERT KEY]
                [--old-tls CERT KEY] [--expired-tls CERT KEY]
                [--idle SECONDS] [--max-requests N]

Serves result pages in the demo site's markup at /ma/<fault>/time-<n>.html:
pages 1 and 3 hold five ordinary entries, page 4 none (where a search ends),
and page 2 carries the fault named by the keyword (see FAULTS). Beside them:
  /expected/<fault>/<n>  the rows of page n whose markup arrives whole and
                         before any zero byte: file name, size, address,
                         tab-separated, one a line, in the page's bytes
  /log                   every /ma/ path requested so far, one a line
  /timed-log             the same paths, each after the seconds from the
                         server's start to the request ("12.345 PATH")
  /shutdown              stops the server
With --untrusted-tls a second listener serves over a certificate whose
authority nobody trusts; page 2 of "untrusted" redirects there. With
--old-tls a third listener speaks only TLS 1.0 and 1.1 over a trusted
certificate; page 2 of "downgrade" redirects there. With --expired-tls a
fourth listener serves over a certificate of the trusted authority whose
time has run out; page 2 of "expired" redirects there.
The keyword FAULT.N moves the fault to page N (see AnyPageFaultHandler).
Bounded like test_server.py: N requests, SECONDS idle, and every stall ends
when the client goes away or after STALL_LIMIT seconds.
"""
import base64
import email.utils
import os
import re
import select
import socket
import struct
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "demo"))
import pages  # noqa: E402
import test_server  # noqa: E402

ORDINARY_COUNT = 5
MANY_COUNT = 5000
HUGE_BYTES = 10 * 1024 * 1024
HUGE30_BYTES = 30 * 1024 * 1024  # under the search run's cap of 32 MB
HUGE100_BYTES = 100 * 1024 * 1024  # streamed, never held whole
TRICKLE_GAP = 1.0  # seconds between two bytes of a trickling body
LONG_NAME_BYTES = (4097, 6000, 16384, 70000)
STALL_LIMIT = 60.0
MOST_REDIRECT_HOPS = 50
CUT_ENTRY = 3  # a cut page ends inside the entry after this many whole ones


def ordinary_name(fault):
    return lambda page, index: f"{fault} page {page} entry {index + 1}.iso"


def long_name(index):
    """A name of exactly LONG_NAME_BYTES[index] bytes in code page 936."""
    size = LONG_NAME_BYTES[index]
    head, unit, tail = f"long entry {index + 1} ", "很长的文件名称", ".mkv"  # 7 characters, 14 bytes
    units = (size - len(head) - len(tail)) // len(unit.encode("gbk"))
    filler = size - len(head) - len(tail) - units * len(unit.encode("gbk"))
    return head + unit * units + "x" * filler + tail


# Names holding bytes that are no character of code page 936. Each {xHH}
# becomes the one raw byte HH once the page is encoded.
BAD_GBK_NAMES = [
    "bad gbk {xFF} lone byte FF.iso",                      # FF starts no character
    "bad gbk {x81}\x7f lead byte 81 with trail 7F.iso",    # 7F is no trail byte
    "bad gbk {x80} lone byte 80.iso",                      # 80: only Windows calls it the euro sign
    "bad gbk lead byte D6 before a space {xD6} .iso",      # D6 20: half of 中 (D6 D0), then a space
    "bad gbk lead byte D6 at the end of the name {xD6}",   # half of 中, then the "<" of the next tag
    "bad gbk ordinary last entry.iso",
]
# The same for a page declared and written in UTF-8.
BAD_UTF8_NAMES = [
    "bad utf-8 {xFF} lone byte FF.iso",                    # FF starts no character
    "bad utf-8 {x80} lone continuation byte 80.iso",       # 80 only continues a character
    "bad utf-8 {xE4}{xB8} two bytes of three.iso",         # E4 B8: 中 (E4 B8 AD) without its last byte
    "bad utf-8 ordinary 音乐 entry.iso",
    "bad utf-8 ordinary last entry.iso",
]
RAW_BYTE_TOKEN = re.compile(rb"\{x([0-9A-F]{2})\}")


def keyword_for(fault, page):
    if page == 2 and fault == "many":
        return pages.Keyword(3, MANY_COUNT, names=ordinary_name(fault))
    if page == 2 and fault == "long":
        return pages.Keyword(3, len(LONG_NAME_BYTES), names=lambda page, index: long_name(index))
    if page == 2 and fault == "badgbk":
        return pages.Keyword(3, len(BAD_GBK_NAMES), names=lambda page, index: BAD_GBK_NAMES[index])
    if page == 2 and fault == "badutf8":
        return pages.Keyword(3, len(BAD_UTF8_NAMES), charset="utf-8", meta='<meta charset="utf-8">',
                             names=lambda page, index: BAD_UTF8_NAMES[index])
    return pages.Keyword(3, ORDINARY_COUNT, names=ordinary_name(fault))


def encoded(text, charset="gbk"):
    return RAW_BYTE_TOKEN.sub(lambda token: bytes([int(token.group(1), 16)]), text.encode(charset))


def page_bytes(fault, page):
    keyword = keyword_for(fault, page)
    markup = pages.page_markup(keyword, fault, page)
    if page == 2 and fault == "badutf8":
        # The first byte of 中 in UTF-8 (E4 B8 AD) ends the page.
        return encoded(markup, "utf-8") + b"\xe4"
    if page == 2 and fault in ("huge", "huge30"):
        filler_line = "<p class=\"filler\">填充内容 0123456789 abcdefghijklmnopqrstuvwxyz</p>\n"
        size = HUGE_BYTES if fault == "huge" else HUGE30_BYTES
        filler = filler_line * (size // len(encoded(filler_line)) + 1)
        markup = markup.replace('<ul class="result-list">', filler + '<ul class="result-list">', 1)
    return encoded(markup)


def entry_start(fault, page, index):
    """Where entry `index` (0-based) of the page begins in its bytes."""
    body = page_bytes(fault, page)
    name = encoded(keyword_for(fault, page).names(page, index))
    return body.index(b"<li>" + name)


def whole_rows(fault, page):
    """The rows of a page that reach a client whole, before any zero byte."""
    if page == 2 and fault in ("stall", "zero-first", "loop", "untrusted", "huge100", "to-http", "downgrade",
                                     "expired"):
        return []
    keyword = keyword_for(fault, page)
    rows = pages.expected_rows(keyword, fault, page)
    if page == 2 and fault in ("reset", "stall-body", "zero", "trickle"):
        rows = rows[:CUT_ENTRY]
    return rows


class FaultHandler(test_server.Handler):
    def route(self, head=False):
        path = self.path.partition("?")[0]
        parts = path.split("/")
        if path == "/log":
            return self.reply(200, "OK", "".join(p + "\n" for p in self.server.requested).encode("latin-1"))
        if len(parts) == 4 and parts[1] == "expected":
            rows = whole_rows(parts[2], int(parts[3]))
            return self.reply(200, "OK", b"".join(encoded("\t".join(row) + "\n") for row in rows))
        if len(parts) == 4 and parts[1] == "ma" and parts[3].startswith("time-") and parts[3].endswith(".html"):
            self.server.requested.append(path)
            page = int(parts[3][len("time-"):-len(".html")])
            if page == 2 and hasattr(self, "fault_" + parts[2].replace("-", "_")):
                return getattr(self, "fault_" + parts[2].replace("-", "_"))(parts[2])
            return self.reply(200, "OK", page_bytes(parts[2], page), [("Content-Type", "text/html")])
        return super().route(head)

    def cut(self, fault):
        """The page's headers and its bytes up to the middle of the entry after CUT_ENTRY."""
        body = page_bytes(fault, 2)
        end = entry_start(fault, 2, CUT_ENTRY) + 20
        self.wfile.write(self.header_block(200, "OK", len(body), [("Content-Type", "text/html")]) + body[:end])
        time.sleep(0.3)  # the client takes these bytes before what follows

    def stall_until_client_leaves(self):
        select.select([self.connection], [], [], STALL_LIMIT)
        self.close_connection = True

    def fault_reset(self, fault):
        self.cut(fault)
        # No lingering: closing now sends a reset instead of an orderly end.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.rfile.close()
        self.connection.close()
        self.close_connection = True

    def fault_stall(self, fault):
        self.stall_until_client_leaves()

    def fault_stall_body(self, fault):
        self.cut(fault)
        self.stall_until_client_leaves()

    def fault_status500(self, fault):
        self.reply(500, "Internal Server Error", page_bytes(fault, 2), [("Content-Type", "text/html")])

    def fault_status404(self, fault):
        self.reply(404, "Not Found", page_bytes(fault, 2), [("Content-Type", "text/html")])

    def fault_zero(self, fault):
        body = page_bytes(fault, 2)
        at = entry_start(fault, 2, CUT_ENTRY)
        self.reply(200, "OK", body[:at] + b"\x00" + body[at:], [("Content-Type", "text/html")])

    def fault_zero_first(self, fault):
        self.reply(200, "OK", b"\x00" + page_bytes(fault, 2), [("Content-Type", "text/html")])

    def fault_truncated(self, fault):
        # The first byte of 中 (D6 D0) ends the page.
        self.reply(200, "OK", page_bytes(fault, 2) + b"\xd6", [("Content-Type", "text/html")])

    def fault_loop(self, fault):
        self.server.redirect_hops += 1
        if self.server.redirect_hops > MOST_REDIRECT_HOPS:
            return self.reply(508, "Loop Detected", b"the client never stopped following")
        self.reply(302, "Found", b"again", [("Location", self.path)])

    def fault_untrusted(self, fault):
        target = f"https://localhost:{self.server.untrusted_port}{self.path}"
        self.reply(302, "Found", b"elsewhere", [("Location", target)])

    def fault_downgrade(self, fault):
        if not self.server.old_tls_port:  # the old listener itself, reached all the same
            return self.reply(200, "OK", page_bytes(fault, 2), [("Content-Type", "text/html")])
        target = f"https://localhost:{self.server.old_tls_port}{self.path}"
        self.reply(302, "Found", b"elsewhere", [("Location", target)])

    def fault_expired(self, fault):
        if not self.server.expired_port:  # the expired listener itself, reached all the same
            return self.reply(200, "OK", page_bytes(fault, 2), [("Content-Type", "text/html")])
        target = f"https://localhost:{self.server.expired_port}{self.path}"
        self.reply(302, "Found", b"elsewhere", [("Location", target)])

    def fault_to_http(self, fault):
        # The same listener: a client that followed would speak plain HTTP to TLS.
        target = f"http://localhost:{self.server.server_address[1]}{self.path}"
        self.reply(302, "Found", b"elsewhere", [("Location", target)])

    def fault_huge100(self, fault):
        """100 MB of filler before the page's markup, sent piece by piece."""
        markup = page_bytes(fault, 2)
        piece = encoded("<p class=\"filler\">填充内容 0123456789 abcdefghijklmnopqrstuvwxyz</p>\n") * 16384
        pieces = HUGE100_BYTES // len(piece) + 1
        length = pieces * len(piece) + len(markup)
        try:
            self.wfile.write(self.header_block(200, "OK", length, [("Content-Type", "text/html")]))
            for _ in range(pieces):
                self.wfile.write(piece)
            self.wfile.write(markup)
        except OSError:
            pass  # the client stopped reading
        self.close_connection = True

    def fault_trickle(self, fault):
        """Three whole entries, then one byte every TRICKLE_GAP seconds until the
        client goes away (or STALL_LIMIT)."""
        body = page_bytes(fault, 2)
        end = entry_start(fault, 2, CUT_ENTRY)
        started = time.monotonic()
        try:
            self.wfile.write(self.header_block(200, "OK", len(body), [("Content-Type", "text/html")]) + body[:end])
            while end < len(body) and time.monotonic() - started < STALL_LIMIT:
                readable, _, _ = select.select([self.connection], [], [], TRICKLE_GAP)
                if readable:
                    break  # the client closed its end
                self.wfile.write(body[end:end + 1])
                end += 1
        except OSError:
            pass
        self.close_connection = True


# --- Faults on any page, faults that pass, and the times of the requests -----
#
# The keyword FAULT.N (N a page number) puts the fault FAULT on page N: the
# pages before it and the one after it hold five ordinary entries, and the
# page after that holds none. Page N carries exactly what page 2 of FAULT
# carries (the same bytes, rows and behaviour), so every fault above can move.
# The faults of this section work in both forms, FAULT alone meaning page 2:
#   cut             the headers with the full length, 3 whole entries and part
#                   of a 4th, then an orderly close (no reset)
#   status404-empty HTTP 404 with a page without entries
#   status500-empty HTTP 500 with a page without entries
#   flaky           HTTP 503 with a page without entries to the first
#                   FLAKY_FAILURES requests of the page's path, then the page
#   charset         five entries with Chinese names in GBK, on a page that
#                   declares a charset no data stream knows
#   flaky429        HTTP 429 without Retry-After to the first FLAKY_FAILURES
#                   requests of the page's path, then the page
#   busy429         HTTP 429 with "Retry-After: 3" to the first request of the
#                   page's path, then the page
#   busy503         HTTP 503 with a Retry-After date 2 s after its Date to the
#                   first request of the page's path, then the page
#   busy429-long    as busy429, with "Retry-After: 6"
#   busy429-hour    HTTP 429 with "Retry-After: 3600" to every request
# Two more change the pages around theirs, always written FAULT.N:
#   clamp           page N is the site's last, and every later page number is
#                   answered with page N again, as sites that clamp it do
#   dupes           page N names again three torrents of page N-1 (the hash in
#                   small letters, in base32, under another display name)
#                   between two new ones, and page N+1 after its five
#                   ordinary entries names page N's new small-letter one again
#                   in capitals; /expected/ gives each torrent once

FLAKY_FAILURES = 2
MOST_FAULT_PAGE = 1000
PLACED_KEYWORD = re.compile(r"(.+)\.([1-9][0-9]{0,3})\Z")
UNKNOWN_CHARSET_META = '<meta charset="x-no-such-charset">'


def charset_name(page, index):
    return f"字符集 {page} 号页面 条目 {index + 1}.iso"


def placement(segment):
    """(fault, page the fault is on) for the keyword's path segment."""
    placed = PLACED_KEYWORD.match(segment)
    if placed and int(placed.group(2)) <= MOST_FAULT_PAGE:
        return placed.group(1), int(placed.group(2))
    return segment, 2


def placed_ordinary_keyword(segment, fault_page):
    return pages.Keyword(fault_page + 1, ORDINARY_COUNT, names=ordinary_name(segment))


def charset_keyword():
    return pages.Keyword(3, ORDINARY_COUNT, meta=UNKNOWN_CHARSET_META, names=charset_name)


def empty_page(fault):
    return encoded(pages.page_markup(None, fault, 2))


def any_page_fault_rows(fault):
    """The whole rows of the page that carries one of this section's faults."""
    if fault in ("status404-empty", "status500-empty"):
        return []
    if fault == "charset":
        return pages.expected_rows(charset_keyword(), fault, 2)
    rows = pages.expected_rows(keyword_for(fault, 2), fault, 2)
    return rows[:CUT_ENTRY] if fault == "cut" else rows


ANY_PAGE_FAULTS = ("cut", "status404-empty", "status500-empty", "flaky", "charset", "flaky429", "busy429",
                   "busy503", "busy429-long", "busy429-hour")
PLACED_ONLY_FAULTS = ("clamp", "dupes")
BUSY_WAITS = {"busy429": 3, "busy429-long": 6, "busy429-hour": 3600}
BUSY503_WAIT = 2


def http_date(seconds):
    return email.utils.formatdate(seconds, usegmt=True)


def torrent_key(magnet):
    """The torrent a link names, read independently of the program: the
    btih info-hash as 20 bytes (hex or base32, any case), else the link."""
    for parameter in magnet.partition("?")[2].split("&"):
        name, _, value = parameter.partition("=")
        if name.lower() == "xt" and value.lower().startswith("urn:btih:"):
            digits = value[len("urn:btih:"):]
            if len(digits) == 40:
                return bytes.fromhex(digits)
            if len(digits) == 32:
                return base64.b32decode(digits.upper())
    return magnet


def base32_magnet(magnet):
    digest = bytes.fromhex(magnet[len("magnet:?xt=urn:btih:"):])
    return "magnet:?xt=urn:btih:" + base64.b32encode(digest).decode("ascii").lower()


def dupes_entries(segment, fault_page, page):
    keyword = placed_ordinary_keyword(segment, fault_page)
    ordinary = pages.entries_of(keyword, segment, page)
    fresh = pages.magnet_of(segment, fault_page, 99)
    fresh_small = fresh[:len("magnet:?xt=urn:btih:")] + fresh[len("magnet:?xt=urn:btih:"):].lower()
    if page == fault_page:
        before = pages.entries_of(keyword, segment, page - 1)
        size = before[0].size
        return [pages.Entry("dupes again in small letters.iso", size, before[0].magnet.lower()),
                ordinary[0],
                pages.Entry("dupes again in base32.iso", size, base32_magnet(before[1].magnet) + "&dn=base32"),
                pages.Entry("dupes again under another name.iso", size, before[2].magnet + "&dn=another%20name"),
                pages.Entry("dupes new in small letters.iso", size, fresh_small + "&dn=small"),
                ordinary[1]]
    if page == fault_page + 1:
        return ordinary + [pages.Entry("dupes again in capitals.iso", ordinary[0].size, fresh + "&dn=capitals")]
    return ordinary


def placed_only_keyword(fault, segment, fault_page):
    if fault == "dupes":
        return pages.Keyword(fault_page + 1, ORDINARY_COUNT,
                             entries=lambda page: dupes_entries(segment, fault_page, page))
    return placed_ordinary_keyword(segment, fault_page)


def placed_only_markup(fault, segment, fault_page, page):
    if fault == "clamp":
        page = min(page, fault_page)
    return encoded(pages.page_markup(placed_only_keyword(fault, segment, fault_page), segment, page))


def placed_only_rows(fault, segment, fault_page, page):
    """Each torrent's first row, as the program lists it, on page `page`."""
    keyword = placed_only_keyword(fault, segment, fault_page)
    last = fault_page if fault == "clamp" else keyword.page_count
    seen, rows = set(), []
    for each in range(1, min(page, last) + 1):
        for row in pages.expected_rows(keyword, segment, each):
            key = torrent_key(row[2])
            if key not in seen and each == page:
                rows.append(row)
            seen.add(key)
    return rows


def fault_page_rows(fault):
    return any_page_fault_rows(fault) if fault in ANY_PAGE_FAULTS else whole_rows(fault, 2)


def prepare_any_page_faults(server):
    server.started = time.monotonic()
    server.timed = []             # (seconds since the start, path)
    server.path_requests = {}     # path -> requests of it so far


class AnyPageFaultHandler(FaultHandler):
    def route(self, head=False):
        path = self.path.partition("?")[0]
        parts = path.split("/")
        if path == "/timed-log":
            lines = "".join(f"{seconds:.3f} {each}\n" for seconds, each in self.server.timed)
            return self.reply(200, "OK", lines.encode("latin-1"))
        is_page = (len(parts) == 4 and parts[1] == "ma" and parts[3].startswith("time-")
                   and parts[3].endswith(".html") and parts[3][len("time-"):-len(".html")].isdigit())
        if is_page:
            self.server.timed.append((time.monotonic() - self.server.started, path))
            self.server.path_requests[path] = self.server.path_requests.get(path, 0) + 1
        if len(parts) != 4 or parts[1] not in ("ma", "expected"):
            return super().route(head)
        fault, fault_page = placement(parts[2])
        if fault != parts[2] and fault in PLACED_ONLY_FAULTS:
            return self.placed_only(fault, parts, fault_page, is_page)
        if fault == parts[2] and fault not in ANY_PAGE_FAULTS:
            return super().route(head)  # a fault of page 2, as ever
        if parts[1] == "expected" and parts[3].isdigit():
            return self.reply_rows(parts[2], fault, fault_page, int(parts[3]))
        if not is_page:
            return super().route(head)
        self.server.requested.append(path)
        page = int(parts[3][len("time-"):-len(".html")])
        if page != fault_page:
            markup = pages.page_markup(placed_ordinary_keyword(parts[2], fault_page), parts[2], page)
            return self.reply(200, "OK", encoded(markup), [("Content-Type", "text/html")])
        method = getattr(self, "fault_" + fault.replace("-", "_"), None)
        if method:
            return method(fault)
        return self.reply(200, "OK", page_bytes(fault, 2), [("Content-Type", "text/html")])

    def reply_rows(self, segment, fault, fault_page, page):
        if page == fault_page:
            rows = fault_page_rows(fault)
        else:
            rows = pages.expected_rows(placed_ordinary_keyword(segment, fault_page), segment, page)
        return self.reply(200, "OK", b"".join(encoded("\t".join(row) + "\n") for row in rows))

    def placed_only(self, fault, parts, fault_page, is_page):
        if parts[1] == "expected" and parts[3].isdigit():
            rows = placed_only_rows(fault, parts[2], fault_page, int(parts[3]))
            return self.reply(200, "OK", b"".join(encoded("\t".join(row) + "\n") for row in rows))
        if not is_page:
            return super().route()
        self.server.requested.append(self.path.partition("?")[0])
        page = int(parts[3][len("time-"):-len(".html")])
        return self.reply(200, "OK", placed_only_markup(fault, parts[2], fault_page, page),
                          [("Content-Type", "text/html")])

    def requests_of_path(self):
        return self.server.path_requests[self.path.partition("?")[0]]

    def fault_busy429(self, fault):
        if fault == "busy429-hour" or self.requests_of_path() == 1:
            return self.reply(429, "Too Many Requests", empty_page(fault),
                              [("Content-Type", "text/html"), ("Retry-After", str(BUSY_WAITS[fault]))])
        self.reply(200, "OK", page_bytes(fault, 2), [("Content-Type", "text/html")])

    fault_busy429_long = fault_busy429
    fault_busy429_hour = fault_busy429

    def fault_busy503(self, fault):
        if self.requests_of_path() == 1:
            now = time.time()
            return self.reply(503, "Service Unavailable", empty_page(fault),
                              [("Content-Type", "text/html"), ("Date", http_date(now)),
                               ("Retry-After", http_date(now + BUSY503_WAIT))])
        self.reply(200, "OK", page_bytes(fault, 2), [("Content-Type", "text/html")])

    def fault_cut(self, fault):
        self.cut(fault)
        self.close_connection = True  # what is left goes unsent; the close is orderly

    def fault_status404_empty(self, fault):
        self.reply(404, "Not Found", empty_page(fault), [("Content-Type", "text/html")])

    def fault_status500_empty(self, fault):
        self.reply(500, "Internal Server Error", empty_page(fault), [("Content-Type", "text/html")])

    def fault_flaky(self, fault):
        if self.requests_of_path() <= FLAKY_FAILURES:
            status = (429, "Too Many Requests") if fault == "flaky429" else (503, "Service Unavailable")
            return self.reply(*status, empty_page(fault), [("Content-Type", "text/html")])
        self.reply(200, "OK", page_bytes(fault, 2), [("Content-Type", "text/html")])

    fault_flaky429 = fault_flaky

    def fault_charset(self, fault):
        markup = pages.page_markup(charset_keyword(), fault, 2)
        self.reply(200, "OK", encoded(markup), [("Content-Type", "text/html")])


def main(arguments):
    parser = test_server.command_line(__doc__, idle=30.0, limit="--max-requests", most=20000)
    test_server.add_certificates(parser, "--tls", "--untrusted-tls", "--old-tls", "--expired-tls")
    options = parser.parse_args(arguments)
    idle = options.idle
    server = test_server.listen(AnyPageFaultHandler, options.tls, idle)
    server.requested, server.redirect_hops, server.untrusted_port, server.old_tls_port = [], 0, 0, 0
    server.expired_port = 0
    prepare_any_page_faults(server)
    if options.untrusted_tls:
        # Ends with the process; a refused handshake costs it one of its requests.
        other = test_server.listen(AnyPageFaultHandler, options.untrusted_tls, idle)
        other.requested, other.redirect_hops = [], 0
        prepare_any_page_faults(other)
        server.untrusted_port = other.server_address[1]
        threading.Thread(target=test_server.serve, args=(other, 100), daemon=True).start()
    if options.old_tls:
        old = test_server.listen(AnyPageFaultHandler, options.old_tls, idle, old_versions=True)
        old.requested, old.redirect_hops, old.old_tls_port, old.expired_port = [], 0, 0, 0
        prepare_any_page_faults(old)
        server.old_tls_port = old.server_address[1]
        threading.Thread(target=test_server.serve, args=(old, 100), daemon=True).start()
    if options.expired_tls:
        late = test_server.listen(AnyPageFaultHandler, options.expired_tls, idle)
        late.requested, late.redirect_hops, late.old_tls_port, late.expired_port = [], 0, 0, 0
        prepare_any_page_faults(late)
        server.expired_port = late.server_address[1]
        threading.Thread(target=test_server.serve, args=(late, 100), daemon=True).start()
    test_server.write_port(server.server_address[1], options.port_file)
    test_server.serve(server, options.max_requests)


if __name__ == "__main__":
    main(sys.argv[1:])
