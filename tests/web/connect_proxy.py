#!/usr/bin/env python3
"""A local HTTP proxy that tunnels with CONNECT and logs what it carries.

connect_proxy.py PORT_FILE LOG_FILE [--idle SECONDS] [--max-connections N]

Binds 127.0.0.1 on a free port, writes the port number to PORT_FILE once it
listens, and appends "CONNECT host:port" to LOG_FILE for every tunnel before
it opens it. GET /__stop, N connections or SECONDS without a connection end
it: every tunnel is closed, then "stopped" is logged. GET /__drop closes
the open tunnels and goes on. GET /proxy.pac is a configuration script that
sends every address through this proxy; GET /drip.pac announces one whose
bytes come one every few seconds, for at most a minute, then the connection
closes. Any other request is refused with 405: the search site is https only.
"""
import select
import socket
import sys
import threading
import time

import test_server

# The dripping script: a byte this often, for at most this long.
DRIP_INTERVAL = 2.0
DRIP_LIMIT = 60.0


def read_head(connection):
    head = b""
    while b"\r\n\r\n" not in head:
        chunk = connection.recv(4096)
        if not chunk:
            return None
        head += chunk
        if len(head) > 65536:
            return None
    return head.split(b"\r\n", 1)[0].decode("latin-1")


def relay(one, other):
    sockets = [one, other]
    while True:
        ready, _, failed = select.select(sockets, [], sockets, 60)
        if failed or not ready:
            return
        for source in ready:
            data = source.recv(65536)
            if not data:
                return
            (other if source is one else one).sendall(data)


def drip(connection):
    connection.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\nConnection: close\r\n\r\n")
    started = time.monotonic()
    try:
        while time.monotonic() - started < DRIP_LIMIT:
            connection.sendall(b" ")
            time.sleep(DRIP_INTERVAL)
    except OSError:
        pass


def reply(connection, body):
    head = b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % len(body)
    connection.sendall(head + body)


class Proxy:
    def __init__(self, log_file):
        self.log_file = log_file
        self.lock = threading.Lock()
        self.stopping = False
        self.open_sockets = set()

    def keep(self, *sockets):
        with self.lock:
            self.open_sockets.update(sockets)

    def close_all(self):
        with self.lock:
            for each in self.open_sockets:
                try:
                    each.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
            self.open_sockets.clear()

    def log(self, line):
        with self.lock, open(self.log_file, "a") as log:
            log.write(line + "\n")

    def serve_one(self, connection):
        with connection:
            line = read_head(connection)
            if line is None:
                return
            method, target = (line.split(" ") + ["", ""])[:2]
            if method == "CONNECT":
                host, _, port = target.rpartition(":")
                self.log(f"CONNECT {target}")
                try:
                    upstream = socket.create_connection((host, int(port)), timeout=10)
                except OSError:
                    connection.sendall(b"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n")
                    return
                self.keep(connection, upstream)
                with upstream:
                    connection.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
                    relay(connection, upstream)
                return
            if method == "GET" and target.endswith("/__stop"):
                self.stopping = True
                return reply(connection, b"bye")
            if method == "GET" and target.endswith("/__drop"):
                self.close_all()
                return reply(connection, b"dropped")
            if method == "GET" and target.endswith("/proxy.pac"):
                address = "127.0.0.1:%d" % connection.getsockname()[1]
                script = 'function FindProxyForURL(url, host) { return "PROXY %s"; }' % address
                return reply(connection, script.encode("ascii"))
            if method == "GET" and target.endswith("/drip.pac"):
                self.log(f"GET {target}")
                return drip(connection)
            connection.sendall(b"HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")


def main(arguments):
    parser = test_server.command_line(__doc__, idle=30.0, limit="--max-connections", most=1000)
    parser.add_argument("log_file", metavar="LOG_FILE")
    options = parser.parse_args(arguments)
    proxy = Proxy(options.log_file)
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    # Short waits, so that a stop asked for on a connection's thread is seen.
    listener.settimeout(0.2)
    test_server.write_port(listener.getsockname()[1], options.port_file)
    served, idle_since = 0, time.monotonic()
    while (served < options.max_connections and not proxy.stopping and
           time.monotonic() - idle_since < options.idle):
        try:
            connection, _ = listener.accept()
        except socket.timeout:
            continue
        served, idle_since = served + 1, time.monotonic()
        connection.settimeout(None)
        threading.Thread(target=proxy.serve_one, args=(connection,), daemon=True).start()
    listener.close()
    proxy.close_all()
    proxy.log("stopped")


if __name__ == "__main__":
    main(sys.argv[1:])
