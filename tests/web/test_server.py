#!/usr/bin/env python3
"""Local HTTP/HTTPS server for the web request tests and the benchmark.

test_server.py PORT_FILE [--tls CERT KEY] [--idle SECONDS] [--max-requests N]

Binds 127.0.0.1 on a free port, writes the port number to PORT_FILE once it
listens, and serves one request at a time until GET /shutdown, N requests or
SECONDS without a request. Each response goes out in one write, so that Nagle's
algorithm never holds back a second small segment.
"""
import argparse
import http.server
import os
import socket
import ssl
import sys


def page(size):
    line = b"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ\n"
    return (line * (size // len(line) + 1))[:size]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *arguments):
        pass

    @staticmethod
    def header_block(status, reason, length, headers=()):
        lines = [f"HTTP/1.1 {status} {reason}", f"Content-Length: {length}", "Connection: close"]
        lines += [f"{name}: {value}" for name, value in headers]
        return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")

    def reply(self, status, reason, body=b"", headers=(), head=False):
        data = self.header_block(status, reason, len(body), headers)
        self.wfile.write(data if head else data + body)
        self.close_connection = True

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def route(self, head=False):
        path, _, query = self.path.partition("?")
        body = self.read_body()
        if path == "/shutdown":
            self.server.stopping = True
            return self.reply(200, "OK", b"bye")
        if path == "/echo":
            # Method, target, request headers as received, then the body.
            text = f"{self.command} {self.path}\n{self.headers}".encode("latin-1") + body
            return self.reply(200, "OK", text, head=head)
        if path == "/cookies":
            return self.reply(200, "OK", b"cookies", [("Set-Cookie", "a=1; path=/"), ("set-cookie", "b=2"),
                                                       ("SET-COOKIE", "old=deleted")], head=head)
        if path == "/redirect":
            return self.reply(302, "Found", b"moved", [("Location", "/target")], head=head)
        if path == "/target":
            return self.reply(200, "OK", b"arrived", head=head)
        if path == "/zero":
            return self.reply(200, "OK", b"ab\x00cd", head=head)
        if path == "/busy":
            # A wait in seconds when the query names them, else a date a minute after the response's.
            if query:
                return self.reply(429, "Too Many Requests", b"slow down", [("retry-after", query)], head=head)
            sent, until = "Sun, 06 Nov 1994 08:49:37 GMT", "Sun, 06 Nov 1994 08:50:37 GMT"
            return self.reply(503, "Service Unavailable", b"busy", [("Date", sent), ("Retry-After", until)], head=head)
        if path == "/page":
            return self.reply(200, "OK", page(int(query or "0")), head=head)
        return self.reply(404, "Not Found", b"missing", head=head)

    def do_GET(self):
        self.route()

    def do_POST(self):
        self.route()

    def do_PUT(self):
        self.route()

    def do_HEAD(self):
        self.route(head=True)


class Server(http.server.HTTPServer):
    stopping = False

    def get_request(self):
        connection, address = super().get_request()
        connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        return connection, address

    def handle_timeout(self):
        self.stopping = True


def listen(handler, tls=None, idle=20.0, old_versions=False):
    """A server for `handler` on a free port of 127.0.0.1, over TLS with the
    (certificate, key) pair `tls` when given; with `old_versions` the TLS
    speaks only 1.0 and 1.1, as a server a client must refuse."""
    server = Server(("127.0.0.1", 0), handler)
    server.timeout = idle
    if tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*tls)
        if old_versions:
            context.set_ciphers("DEFAULT:@SECLEVEL=0")
            context.minimum_version = ssl.TLSVersion.TLSv1
            context.maximum_version = ssl.TLSVersion.TLSv1_1
        server.socket = context.wrap_socket(server.socket, server_side=True)
    return server


def write_port(port, port_file):
    temporary = port_file + ".part"
    with open(temporary, "w") as out:
        out.write(str(port))
    os.replace(temporary, port_file)


def serve(server, max_requests):
    served = 0
    while not server.stopping and served < max_requests:
        server.handle_request()
        served += 1
    server.server_close()


def command_line(description, idle, limit, most):
    """The command line the test servers share: PORT_FILE, the seconds
    without a request and the count of requests (the option `limit`) after
    which they stop. Each server adds options of its own."""
    parser = argparse.ArgumentParser(description=description, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("port_file", metavar="PORT_FILE")
    parser.add_argument("--idle", type=float, default=idle, metavar="SECONDS")
    parser.add_argument(limit, type=int, default=most, metavar="N")
    return parser


def add_certificates(parser, *options):
    """Each option takes a certificate and its key, for a listener over TLS."""
    for option in options:
        parser.add_argument(option, nargs=2, metavar=("CERT", "KEY"))


def main(arguments):
    parser = command_line(__doc__, idle=20.0, limit="--max-requests", most=100000)
    add_certificates(parser, "--tls")
    options = parser.parse_args(arguments)
    server = listen(Handler, options.tls, options.idle)
    write_port(server.server_address[1], options.port_file)
    serve(server, options.max_requests)


if __name__ == "__main__":
    main(sys.argv[1:])
