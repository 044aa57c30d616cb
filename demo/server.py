#!/usr/bin/env python3
"""The demo search site: result pages over HTTPS on 127.0.0.1.

    python3 demo/server.py --cert server.pem --key server.key [--port 0]
        [--port-file FILE] [--log FILE] [--slow-delay SECONDS] [--idle-timeout SECONDS]
        [--prerender KEYWORD]...

Prints the port it listens on (one line) and writes it to --port-file.
Paths: /ma/<keyword>/time-<n>.html (the keyword percent-encoded or raw, GBK
or UTF-8 bytes), and for tests /__log, /__reset-log, /__expected/<keyword>
and /__stop. It stops by itself after --idle-timeout seconds without a
request (0: never).
"""
import argparse
import functools
import os
import re
import socket
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pages  # noqa: E402

RESULT_PATH = re.compile(rb"/ma/(.*)/time-(\d{1,9})\.html\Z", re.DOTALL)
ABSOLUTE_TARGET = re.compile(rb"https?://[^/]*(/.*)\Z", re.DOTALL | re.IGNORECASE)


@functools.lru_cache(maxsize=512)
def rendered_page(keyword_bytes, page):
    # Made once: a benchmark should time the client, not the page generator.
    keyword, text = pages.find_keyword(keyword_bytes)
    return pages.page_bytes(keyword, text, page)


class SearchSite(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, options, tls):
        super().__init__(("127.0.0.1", options.port), SiteHandler)
        self.options = options
        self.tls = tls
        self.log_lock = threading.Lock()
        self.requested = []
        self.last_activity = time.monotonic()

    def note_request(self, raw_path):
        with self.log_lock:
            self.last_activity = time.monotonic()
            if raw_path.startswith(b"/__"):
                return
            self.requested.append(raw_path)
            if self.options.log:
                with open(self.options.log, "ab") as log:
                    log.write(raw_path + b"\n")

    def reset_log(self):
        with self.log_lock:
            self.requested.clear()
            if self.options.log:
                open(self.options.log, "wb").close()

    def handle_error(self, request, client_address):
        # A client that goes away mid-handshake is no fault of the site.
        print(f"demo site: {sys.exc_info()[1]!r}", file=sys.stderr)

    def stop_soon(self):
        threading.Thread(target=self.shutdown, daemon=True).start()


class SiteHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "SeedSearchDemo/1"
    disable_nagle_algorithm = True
    # Headers and body collect in one buffer and leave in one write when the
    # request is done, so no response waits on delayed acknowledgement.
    wbufsize = 1 << 20
    timeout = 30

    def setup(self):
        self.request = self.server.tls.wrap_socket(self.request, server_side=True)
        super().setup()

    def log_message(self, *arguments):
        pass

    def do_GET(self):
        raw_path = self.path.encode("latin-1")  # http.server read the request line as Latin-1
        # A client behind a proxy may name the whole address (Wine's WinHttp
        # does so inside a CONNECT tunnel too); HTTP/1.1 servers take it.
        absolute = ABSOLUTE_TARGET.match(raw_path)
        if absolute:
            raw_path = absolute.group(1)
        self.server.note_request(raw_path)
        if raw_path == b"/__stop":
            self.reply(200, b"stopping\n", "text/plain")
            self.server.stop_soon()
        elif raw_path == b"/__log":
            with self.server.log_lock:
                self.reply(200, b"".join(path + b"\n" for path in self.server.requested), "text/plain")
        elif raw_path == b"/__reset-log":
            self.server.reset_log()
            self.reply(200, b"", "text/plain")
        elif raw_path.startswith(b"/__expected/"):
            self.reply_expected(urllib.parse.unquote_to_bytes(raw_path[len(b"/__expected/"):]))
        else:
            self.reply_page(raw_path)
        self.server.last_activity = time.monotonic()

    def reply_page(self, raw_path):
        found = RESULT_PATH.match(raw_path)
        if not found:
            self.reply(404, "<html><body>没有这个页面</body></html>".encode("gbk"), "text/html; charset=gbk")
            return
        keyword_bytes = urllib.parse.unquote_to_bytes(found.group(1))
        keyword, _ = pages.find_keyword(keyword_bytes)
        page = int(found.group(2))
        if keyword and keyword.broken_from_page and page >= keyword.broken_from_page:
            self.close_connection = True  # no answer at all: the fetch fails
            return
        if keyword and keyword.slow_from_page and page >= keyword.slow_from_page:
            time.sleep(self.server.options.slow_delay)
        body, charset = rendered_page(keyword_bytes, page)
        self.reply(200, body, f"text/html; charset={charset}")

    def reply_expected(self, keyword_bytes):
        """Every row the program adds for the keyword, all pages in order, one
        per line: file name, size, address, tab-separated, in GBK."""
        keyword, text = pages.find_keyword(keyword_bytes)
        lines = []
        for page in range(1, (keyword.page_count if keyword else 0) + 1):
            lines += ["\t".join(row) for row in pages.expected_rows(keyword, text, page)]
        self.reply(200, "".join(line + "\n" for line in lines).encode("gbk", errors="replace"),
                   "text/plain; charset=gbk")

    def reply(self, status, body, content_type):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        if self.close_connection:
            self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)


def watch_idle(site, idle_timeout):
    while True:
        time.sleep(min(1.0, idle_timeout))
        if time.monotonic() - site.last_activity > idle_timeout:
            site.shutdown()
            return


def write_port_file(path, port):
    temporary = path + ".part"
    with open(temporary, "w") as file:
        file.write(f"{port}\n")
    os.replace(temporary, path)  # a reader never sees half a number


def main():
    parser = argparse.ArgumentParser(description="The demo search site (HTTPS, 127.0.0.1).")
    parser.add_argument("--cert", required=True, help="server certificate (PEM) for localhost")
    parser.add_argument("--key", required=True, help="its private key (PEM)")
    parser.add_argument("--port", type=int, default=0, help="0 chooses a free port")
    parser.add_argument("--port-file", help="file that receives the port once the site listens")
    parser.add_argument("--log", help="file that receives each requested path, one a line")
    parser.add_argument("--slow-delay", type=float, default=2.0, help="seconds a slow page waits")
    parser.add_argument("--idle-timeout", type=float, default=120.0, help="stop after this idle time; 0 never")
    parser.add_argument("--prerender", action="append", default=[], metavar="KEYWORD",
                        help="render every page of KEYWORD before listening (benchmarks)")
    options = parser.parse_args()
    for text in options.prerender:
        keyword_bytes = text.encode("gbk")
        keyword, _ = pages.find_keyword(keyword_bytes)
        for page in range(1, (keyword.page_count if keyword else 0) + 2):
            rendered_page(keyword_bytes, page)

    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(options.cert, options.key)
    site = SearchSite(options, tls)
    if options.log:
        open(options.log, "wb").close()
    port = site.server_address[1]
    if options.port_file:
        write_port_file(options.port_file, port)
    print(port, flush=True)
    if options.idle_timeout > 0:
        threading.Thread(target=watch_idle, args=(site, options.idle_timeout), daemon=True).start()
    try:
        site.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    site.server_close()


if __name__ == "__main__":
    main()
