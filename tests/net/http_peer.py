#!/usr/bin/env python3
"""Real peers for the net tests, on 127.0.0.1 only: a scripted HTTP server and
a forwarding proxy. Each records the exact bytes of every request head it
receives in a log file and prints its port on the first line of stdout.

  http_peer.py server --log LOG --route /d/quotes.csv=body:reply.txt --route /old=redirect:/new
  http_peer.py proxy --log LOG

Server actions (the route is the path without its query; others give 404):
  body:FILE      200 with Content-Length and the file as the body (HEAD: no body)
  http11:FILE    the same with an "HTTP/1.1" status line
  nolength:FILE  200 without Content-Length: the body ends when the server closes
  status:CODE    that status, e.g. status:404
  redirect:PATH  302 with "Location: PATH"
  cut:FILE       200 naming the whole file's length, half of it sent, then closed
  silent         reads the request and never answers
  big:N          200 with a body of N bytes, written in pieces
The proxy forwards requests for 127.0.0.1 or localhost and refuses any other host.
"""
import argparse
import select
import socket
import socketserver
import sys
import threading
import time
import urllib.parse

REASONS = {200: "OK", 302: "Found", 401: "Unauthorized", 403: "Forbidden", 404: "Not Found",
           405: "Method Not Allowed", 500: "Internal Server Error"}


def read_head(connection):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = connection.recv(4096)
        if not chunk:
            return None
        data += chunk
    return data[: data.index(b"\r\n\r\n") + 4]


class Recorder:
    def __init__(self, path):
        self.lock = threading.Lock()
        self.path = path

    def record(self, head):
        with self.lock, open(self.path, "ab") as log:
            log.write(head)


def wait_for_close(connection):
    while True:
        ready, _, _ = select.select([connection], [], [], 0.2)
        if ready and not connection.recv(4096):
            return


def serve(args):
    recorder = Recorder(args.log)
    routes = {}
    for route in args.route:
        path, _, action = route.partition("=")
        routes[path] = action

    class Handler(socketserver.BaseRequestHandler):
        def handle(self):
            head = read_head(self.request)
            if head is None:
                return
            recorder.record(head)
            method, target = head.split(b" ", 2)[:2]
            path = urllib.parse.urlsplit(target.decode("latin-1")).path
            kind, _, argument = routes.get(path, "status:404").partition(":")
            send = self.request.sendall
            if kind == "silent":
                wait_for_close(self.request)
                return
            if kind == "status":
                code = int(argument)
                body = f"{code} {REASONS.get(code, 'Status')}\n".encode()
                send(f"HTTP/1.0 {code} {REASONS.get(code, 'Status')}\r\nContent-Length: {len(body)}\r\n\r\n".encode())
                if method != b"HEAD":
                    send(body)
                return
            if kind == "redirect":
                send(f"HTTP/1.0 302 Found\r\nLocation: {argument}\r\nContent-Length: 0\r\n\r\n".encode())
                return
            if kind == "big":
                size = int(argument)
                send(f"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: {size}\r\n\r\n".encode())
                if method != b"HEAD":
                    piece = (b"x" * 99 + b"\n") * 1000
                    left = size
                    while left > 0:
                        send(piece[: min(left, len(piece))])
                        left -= min(left, len(piece))
                return
            with open(argument, "rb") as source:
                body = source.read()
            version = "HTTP/1.1" if kind == "http11" else "HTTP/1.0"
            length = "" if kind == "nolength" else f"Content-Length: {len(body)}\r\n"
            send(f"{version} 200 OK\r\nContent-Type: text/plain\r\n{length}\r\n".encode())
            if method == b"HEAD":
                return
            if kind == "cut":
                send(body[: len(body) // 2])
                time.sleep(0.1)
                return
            send(body)

    run(Handler)


def proxy(args):
    recorder = Recorder(args.log)

    class Handler(socketserver.BaseRequestHandler):
        def handle(self):
            head = read_head(self.request)
            if head is None:
                return
            recorder.record(head)
            lines = head.decode("latin-1").split("\r\n")
            method, target, _ = lines[0].split(" ", 2)
            url = urllib.parse.urlsplit(target)
            if url.scheme != "http" or url.hostname not in ("127.0.0.1", "localhost"):
                self.request.sendall(b"HTTP/1.0 403 Forbidden\r\nContent-Length: 0\r\n\r\n")
                return
            path = url.path or "/"
            if url.query:
                path += "?" + url.query
            kept = [line for line in lines[1:] if line and not line.lower().startswith(("proxy-", "connection:"))]
            forwarded = "\r\n".join([f"{method} {path} HTTP/1.0"] + kept) + "\r\n\r\n"
            with socket.create_connection(("127.0.0.1", url.port or 80)) as origin:
                origin.sendall(forwarded.encode("latin-1"))
                while True:
                    chunk = origin.recv(65536)
                    if not chunk:
                        break
                    self.request.sendall(chunk)

    run(Handler)


def run(handler):
    class Server(socketserver.ThreadingTCPServer):
        daemon_threads = True
        allow_reuse_address = True

    with Server(("127.0.0.1", 0), handler) as server:
        print(server.server_address[1], flush=True)
        server.serve_forever()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("role", choices=["server", "proxy"])
    parser.add_argument("--log", required=True)
    parser.add_argument("--route", action="append", default=[])
    args = parser.parse_args()
    serve(args) if args.role == "server" else proxy(args)


if __name__ == "__main__":
    sys.exit(main())
