"""The demo search site's content: its keywords, their entries and the
result pages, in the markup that the program's result pattern reads.

Every entry is nine lines. Pages are GBK unless a keyword says otherwise;
the page after a keyword's last one, and every page of an unknown keyword,
holds no entry, which is how a search learns that it has reached the end.
"""
import hashlib
import html
import re
from dataclasses import dataclass, field

BENCH_KEYWORD = re.compile(r"bench-(\d{1,5})x(\d{1,3})(?:-last(\d{1,2})mb)?\Z")


@dataclass
class Entry:
    name: str          # group 1, raw: may hold markup
    size: str          # group 2, as written on the page (may hold "?")
    magnet: str        # group 14
    wrong_structure: bool = False   # a line short, so the pattern must skip it
    capital_tags: bool = False

    def row(self):
        """The three cells the program shows: file name, size without "?", address."""
        return (self.name, self.size.replace("?", ""), self.magnet)


@dataclass
class Keyword:
    page_count: int
    per_page: int
    charset: str = "gbk"            # the encoding of the page bytes
    meta: str = '<meta charset="gbk">'
    late_meta: str = ""             # a declaration placed beyond byte 1024
    slow_from_page: int = 0         # pages from this one on wait --slow-delay
    broken_from_page: int = 0       # pages from this one drop the connection
    names: object = None            # (page, index) -> file name
    entries: object = None          # page -> [Entry], overrides the generated ones
    padding: int = 0                # bytes of file list per entry (benchmark pages)
    last_page_padding: int = 0      # the same on the last page, where set
    extra: dict = field(default_factory=dict)


def magnet_of(keyword, page, index):
    digest = hashlib.sha1(f"{keyword}|{page}|{index}".encode("utf-8")).hexdigest().upper()
    return f"magnet:?xt=urn:btih:{digest}"


def size_of(keyword, page, index):
    number = int(hashlib.md5(f"{keyword}{page}{index}".encode("utf-8")).hexdigest()[:6], 16)
    if number % 3 == 0:
        return f"{number % 900 + 100}.{number % 10} MB"
    return f"{number % 40 + 1}.{number % 100:02d} GB"


def exact_filter_name(page, index):
    # Every third name holds the keyword as typed; the others differ in letter
    # case or lack it, so the exact filter keeps a third of the entries.
    kinds = [f"linux-mint-{page}.{index}-cinnamon-64bit.iso",
             f"Linux Kernel 6.{page}.{index} source tarball",
             f"Debian {page}.{index} netinst amd64"]
    return kinds[index % 3]


EDGE_ENTRIES = [
    Entry("edge first ordinary entry", "1.20 GB", magnet_of("edge", 1, 0)),
    Entry("edge entry a line short", "3.00 GB", magnet_of("edge", 1, 1), wrong_structure=True),
    Entry("EDGE entry in capital tags", "700 MB", magnet_of("edge", 1, 2), capital_tags=True),
    Entry("edge entry with question marks in its size", "1.5?GB?", magnet_of("edge", 1, 3)),
    Entry('<a href="/detail/edge-4.html" target="_blank">edge <em>linked</em> name</a>',
          "2.25 <i>GB</i>", magnet_of("edge", 1, 4)),
    Entry("edge last ordinary entry", "4.00 GB", magnet_of("edge", 1, 5)),
]

SPECIAL_KEYWORD = "50% off #1 / a?b\\c"

KEYWORDS = {
    "ubuntu": Keyword(3, 12, names=lambda page, index: f"ubuntu-22.04.{page}-desktop-amd64 part {index + 1}.iso"),
    "电影": Keyword(2, 8, meta='<meta http-equiv="Content-Type" content="text/html; charset=gb2312">',
                  names=lambda page, index: f"经典电影合集 第{page}辑 {index + 1:02d} 高清中字.mkv"),
    "music": Keyword(2, 6, charset="utf-8", meta='<meta charset="utf-8">',
                     names=lambda page, index: f"music 音乐精选 Café Vol.{page}-{index + 1}.flac"),
    "linux": Keyword(2, 10, names=exact_filter_name),
    "slow": Keyword(3, 5, slow_from_page=2, names=lambda page, index: f"slow page {page} entry {index + 1}.zip"),
    "edge": Keyword(1, len(EDGE_ENTRIES), entries=lambda page: EDGE_ENTRIES),
    "late-charset": Keyword(1, 4, meta="", late_meta='<meta charset="utf-8">',
                            names=lambda page, index: f"late-charset 页面 {index + 1}.txt"),
    "broken": Keyword(3, 5, broken_from_page=2, names=lambda page, index: f"broken site entry {index + 1}.rar"),
    # An empty 编辑框1 searches the path /ma//time-1.html; one name is empty,
    # which the exact filter with an empty keyword skips.
    "": Keyword(1, 4, names=lambda page, index: "" if index == 2 else f"最新收录 第{index + 1}部.mkv"),
    SPECIAL_KEYWORD: Keyword(1, 3, names=lambda page, index: f"{SPECIAL_KEYWORD} item {index + 1}.pdf"),
}


def find_keyword(keyword_bytes):
    """The site's keyword for the path segment's bytes (GBK, or UTF-8 as some
    clients send), with its decoded text; (None, text) when the site has none."""
    for encoding in ("gbk", "utf-8"):
        try:
            text = keyword_bytes.decode(encoding)
        except UnicodeDecodeError:
            continue
        if text in KEYWORDS:
            return KEYWORDS[text], text
        bench = BENCH_KEYWORD.match(text)
        if bench:
            pages, per_page = int(bench.group(1)), int(bench.group(2))
            last_page_bytes = int(bench.group(3) or 0) * 1024 * 1024
            return Keyword(pages, per_page, padding=450, last_page_padding=last_page_bytes // per_page,
                           names=lambda page, index, text=text: f"{text} entry {page}-{index + 1}.mkv"), text
    return None, keyword_bytes.decode("gbk", errors="replace")


def entries_of(keyword, text, page):
    if keyword is None or not 1 <= page <= keyword.page_count:
        return []
    if keyword.entries:
        return keyword.entries(page)
    return [Entry(keyword.names(page, index), size_of(text, page, index), magnet_of(text, page, index))
            for index in range(keyword.per_page)]


def file_list(entry, padding):
    text = f"{html.escape(entry.name)} 及其他文件"
    # Joined once: a page of many megabytes is made in one pass.
    parts, characters, size = [text], len(text), len(text.encode("utf-8"))
    while size < padding:
        part = f" | part-{characters:05d}.bin (12.5 MB)"
        parts.append(part)
        characters += len(part)
        size += len(part)
    return "".join(parts)


def entry_lines(entry, padding):
    lines = [
        f'<li>{entry.name}<span class="lightColor">{entry.size}</span><span class="entry-date">2026-12-08</span>',
        '<div class="entry-body">',
        f'<p class="files">{file_list(entry, padding)}</p>',
        '<p class="meta">收录时间：<b>2026-12-08</b> 文件数：<b>3</b></p>',
        '</div>',
        f'<div class="entry-foot"><span>文件大小：<b class="cpill yellow-pill">{entry.size}</b></span>'
        '<span>热度：<b>128</b></span>',
        '<span>最近下载：<b>2026-12-08</b></span>',
        '</div>',
        f'<div class="entry-links"><a class="magnet" href="{entry.magnet}">磁力链接</a> '
        f'<a href="{entry.magnet}" class="download">迅雷下载</a></div></li>',
    ]
    if entry.wrong_structure:
        del lines[4]
    if entry.capital_tags:
        lines = [capitalise_tags(line) for line in lines]
    return lines


def capitalise_tags(line):
    """Tag names, attribute names and values in capitals, the link addresses as
    they were: the pattern ignores letter case, the download address keeps it."""
    def capitalise(tag):
        parts = re.split(r'href="([^"]*)"', tag.group(0))
        return "".join(f'HREF="{part}"' if odd else part.upper() for odd, part in
                       ((index % 2 == 1, part) for index, part in enumerate(parts)))
    return re.sub(r"</?[a-z][^>]*>", capitalise, line)


def page_markup(keyword, text, page):
    """The page as text (not yet encoded)."""
    entries = entries_of(keyword, text, page)
    meta = keyword.meta if keyword else '<meta charset="gbk">'
    shown = html.escape(text)
    head = ["<!DOCTYPE html>", "<html>", "<head>"]
    if meta:
        head.append(meta)
    head += [f"<title>{shown} - 第{page}页 - 磁力搜索演示站</title>",
             '<meta name="viewport" content="width=device-width, initial-scale=1">']
    if keyword and keyword.late_meta:
        head.append("<!-- " + "填充说明 " * 120 + "-->")
        head.append(keyword.late_meta)
    head += ["</head>", "<body>",
             '<ul class="nav"><li><a href="/">首页</a></li><li><a href="/hot.html">热门</a></li></ul>',
             f'<form action="/search"><input name="q" value="{shown}"></form>']
    if entries:
        body = ['<ul class="result-list">']
        padding = keyword.last_page_padding if page == keyword.page_count and keyword.last_page_padding \
            else keyword.padding
        for entry in entries:
            body += entry_lines(entry, padding)
        body.append("</ul>")
        body.append(f'<div class="pager"><span>第{page}页</span> <a href="time-{page + 1}.html">下一页</a></div>')
    else:
        body = [f'<p class="no-result">没有找到与“{shown}”相关的结果。</p>']
    return "\n".join(head + body + ["</body>", "</html>", ""])


def page_bytes(keyword, text, page):
    """The page's body bytes and the charset they are in."""
    charset = keyword.charset if keyword else "gbk"
    return page_markup(keyword, text, page).encode(charset), charset


def expected_rows(keyword, text, page):
    """The rows the program adds for a page, in order, before the exact filter."""
    return [entry.row() for entry in entries_of(keyword, text, page) if not entry.wrong_structure]
