#!/usr/bin/env python3
"""Checks the demo site's pages against the program's result pattern, read
with Python's re under the same options (letter case ignored, no dot over a
line feed, every match in page order), and the charset each page declares in
its first 1024 bytes.

    python3 demo/check_pages.py                  # the pages as generated
    python3 demo/check_pages.py --site https://localhost:PORT --cafile CA.pem
                                                 # the same pages from a running site

Exit status 0 when every page yields exactly its expected rows.
"""
import argparse
import os
import re
import ssl
import sys
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pages  # noqa: E402

# The program's result pattern in its stored form: "#引号" stands for a double quote.
STORED_RESULT_PATTERN = (
    "<li>(.*?)<span class=#引号lightColor#引号>(.*?)</span>(.*?)\n(.*?)\n(.*?)\n(.*?)\n(.*?)\n(.*?)"
    "<span>文件大小：<b class=#引号cpill yellow-pill#引号>(.*?)</b>(.*?)\n(.*?)\n(.*?)\n(.*?)"
    "磁力链接</a> <a href=#引号(.*?)#引号 class=#引号download#引号>")
RESULT_PATTERN = re.compile(STORED_RESULT_PATTERN.replace("#引号", '"'), re.IGNORECASE)
# The charset declaration as the page decoding looks for it (\w is ASCII there).
CHARSET_PATTERN = re.compile(r"<meta.+?charset=[^\w]?([-\w]+)", re.IGNORECASE | re.MULTILINE | re.ASCII)
UNDECODED_CHARSETS = ("gbk", "gb2312")

BENCH_SAMPLE = "bench-3x30"


def rows_of(text):
    return [(match.group(1), match.group(2).replace("?", ""), match.group(14))
            for match in RESULT_PATTERN.finditer(text)]


def readable_text(body):
    """The page text as the program gets it: read as GBK, then decoded again
    from the charset declared in the first 1024 bytes, unless that is GBK."""
    declared = CHARSET_PATTERN.search(body[:1024].decode("gbk", errors="replace"))
    charset = declared.group(1) if declared else ""
    if charset and charset not in UNDECODED_CHARSETS:
        return body.decode(charset, errors="replace"), charset
    return body.decode("gbk", errors="replace"), charset


def generated_body(text, page):
    keyword, text = pages.find_keyword(text.encode("gbk"))
    return pages.page_bytes(keyword, text, page)[0]


def fetched_body(site, context, text, page):
    path = "/ma/" + urllib.parse.quote(text.encode("gbk"), safe="") + f"/time-{page}.html"
    with urllib.request.urlopen(site + path, context=context, timeout=30) as response:
        return response.read()


def check(fetch):
    failures = 0
    for text in list(pages.KEYWORDS) + [BENCH_SAMPLE, "no such keyword"]:
        keyword, _ = pages.find_keyword(text.encode("gbk"))
        # Every page and the empty one after the last; a broken keyword only
        # up to its first dropped page.
        last = keyword.page_count + 1 if keyword else 1
        if keyword and keyword.broken_from_page:
            last = keyword.broken_from_page - 1
        for page in range(1, last + 1):
            body = fetch(text, page)
            page_text, charset = readable_text(body)
            expected = pages.expected_rows(keyword, text, page)
            found = rows_of(page_text)
            wanted_charset = keyword.charset if keyword and keyword.charset != "gbk" else ""
            if found != expected or (wanted_charset and charset != wanted_charset):
                failures += 1
                print(f"FAIL {text!r} page {page}: {len(found)} rows, {len(expected)} expected, "
                      f"charset {charset!r}", file=sys.stderr)
                for got, want in zip(found, expected):
                    if got != want:
                        print(f"  got  {got}\n  want {want}", file=sys.stderr)
                        break
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--site", help="base address of a running demo site, e.g. https://localhost:8443")
    parser.add_argument("--cafile", help="CA certificate that signed the site's certificate")
    options = parser.parse_args()
    if options.site:
        context = ssl.create_default_context(cafile=options.cafile)
        failures = check(lambda text, page: fetched_body(options.site, context, text, page))
    else:
        failures = check(generated_body)
    print("demo pages: " + ("all match" if failures == 0 else f"{failures} pages differ"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
