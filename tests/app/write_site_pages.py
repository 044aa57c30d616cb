#!/usr/bin/env python3
"""write_site_pages.py DIR [--utf16]

Writes every page the demo site and the fault site serve for their keywords
into DIR, one file a page (their names in DIR/index, one a line), as the program matches it: GBK text (a UTF-8 page
decoded and written in GBK, as the page decoder hands it on), zero bytes and
broken characters kept. Beside them a few pages the sites do not serve: one
with CR LF line ends and one line of empty highlighted spans (short enough
for the engine over the whole page). With --utf16 the pages are written in
UTF-16LE instead (bytes that are no GBK character as U+FFFD), for the tests
of the platform-free code.
"""
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "web"))
sys.path.insert(0, os.path.join(here, "..", "..", "demo"))
import fault_server  # noqa: E402
import pages  # noqa: E402


def as_matched(body, charset):
    if charset == "utf-8":
        return body.decode("utf-8", errors="replace").encode("gbk", errors="replace")
    return body


def demo_pages():
    keywords = list(pages.KEYWORDS) + ["bench-2x30"]
    for text in keywords:
        keyword, _ = pages.find_keyword(text.encode("gbk"))
        for page in range(1, keyword.page_count + 2):
            body, charset = pages.page_bytes(keyword, text, page)
            yield f"demo {text} {page}", as_matched(body, charset)


def fault_pages():
    for page in (1, 3, 4):
        yield f"fault ordinary {page}", fault_server.page_bytes("ordinary", page)
    for fault in ("many", "long", "badgbk", "huge"):
        yield f"fault {fault} 2", fault_server.page_bytes(fault, 2)
    yield "fault badutf8 2", as_matched(fault_server.page_bytes("badutf8", 2), "utf-8")
    ordinary = fault_server.page_bytes("cut", 2)
    yield "fault cut 2", ordinary[:fault_server.entry_start("cut", 2, fault_server.CUT_ENTRY) + 20]
    at = fault_server.entry_start("zero", 2, fault_server.CUT_ENTRY)
    yield "fault zero 2", ordinary[:at] + b"\x00" + ordinary[at:]
    yield "fault zero-first 2", b"\x00" + ordinary
    yield "fault truncated 2", ordinary + b"\xd6"
    yield "fault empty 2", fault_server.empty_page("status404-empty")
    charset = pages.page_markup(fault_server.charset_keyword(), "charset", 2)
    yield "fault charset 2", fault_server.encoded(charset)


def other_pages():
    body, _ = pages.page_bytes(pages.KEYWORDS["ubuntu"], "ubuntu", 1)
    yield "crlf ubuntu 1", body.replace(b"\n", b"\r\n")
    yield "one line of empty spans", b'<li><span class="lightColor"></span>' * 28


def main(directory, utf16):
    os.makedirs(directory, exist_ok=True)
    for old in os.listdir(directory):
        os.remove(os.path.join(directory, old))
    every = list(demo_pages()) + list(fault_pages()) + list(other_pages())
    names = []
    for label, body in every:
        names.append("".join(c if (c.isascii() and c.isalnum()) or c == "-" else "_" for c in label) + ".page")
        assert names.count(names[-1]) == 1, names[-1]
        with open(os.path.join(directory, names[-1]), "wb") as file:
            file.write(body.decode("gbk", errors="replace").encode("utf-16-le") if utf16 else body)
    with open(os.path.join(directory, "index"), "w") as index:
        index.write("".join(name + "\n" for name in names))
    print(f"{len(every)} pages in {directory}")


if __name__ == "__main__":
    main(sys.argv[1], "--utf16" in sys.argv[2:])
