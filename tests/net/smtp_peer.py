#!/usr/bin/python3
"""Real SMTP peers for the mail tests, on 127.0.0.1 only. Each prints its port
on the first line of stdout and writes what it received into --out DIR.

  smtp_peer.py server --out DIR [--refuse ADDRESS]... [--starttls CERT KEY] [--tls CERT KEY] [--login USER PASSWORD]
      Debian's aiosmtpd. Message N (from 0) leaves N.raw (the data as received, dots
      unstuffed), N.body (the text part) and N.att<i> (each attachment decoded),
      all parsed with Python's email package, and N.txt:
          FROM <address>
          RCPT <address>              one per accepted recipient
          HEADER <Name>: <value>      every header of the message, in order
          ATTACH <i> <filename> <content type>
      A login leaves auth.txt ("<mechanism> <user> <password>"); --refuse answers
      RCPT for that address with 550.
  smtp_peer.py script --out DIR [--greeting TEXT] [--silent] [--close-in-data] [--multiline]
      A scripted peer that logs the exact bytes it receives to DIR/dialogue.log:
      --greeting sends TEXT (e.g. "421 busy") and closes; --silent accepts and never
      answers; --close-in-data closes after the first piece of the message;
      --multiline answers the greeting and HELO with replies of several lines.
"""
import argparse
import asyncio
import email
import email.policy
import os
import socket
import ssl
import sys
import threading


def write_message(out, number, envelope):
    raw = envelope.original_content
    with open(os.path.join(out, f"{number}.raw"), "wb") as f:
        f.write(raw)
    message = email.message_from_bytes(raw, policy=email.policy.compat32)
    lines = [f"FROM {envelope.mail_from}"]
    lines += [f"RCPT {address}" for address in envelope.rcpt_tos]
    lines += [f"HEADER {name}: {value}" for name, value in message.items()]
    body = b""
    attachments = []
    for part in message.walk():
        if part.is_multipart():
            continue
        if part.get_filename():
            attachments.append(part)
        elif part.get_content_type() == "text/plain":
            body += part.get_payload(decode=True)
    with open(os.path.join(out, f"{number}.body"), "wb") as f:
        f.write(body)
    for index, part in enumerate(attachments):
        with open(os.path.join(out, f"{number}.att{index}"), "wb") as f:
            f.write(part.get_payload(decode=True))
        lines.append(f"ATTACH {index} {part.get_filename()} {part.get_content_type()}")
    # The summary last: a test waiting for it finds the other files complete.
    summary = os.path.join(out, f"{number}.txt")
    with open(summary + ".part", "w") as f:
        f.write("\n".join(lines) + "\n")
    os.rename(summary + ".part", summary)


def run_server(args):
    from aiosmtpd.smtp import SMTP, AuthResult

    class Handler:
        def __init__(self):
            self.count = 0

        async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
            if address in args.refuse:
                return f"550 5.1.1 <{address}>: Recipient address rejected"
            envelope.rcpt_tos.append(address)
            return "250 OK"

        async def handle_DATA(self, server, session, envelope):
            write_message(args.out, self.count, envelope)
            self.count += 1
            return "250 Message accepted for delivery"

    def authenticator(server, session, envelope, mechanism, auth_data):
        login = auth_data.login.decode()
        password = auth_data.password.decode()
        with open(os.path.join(args.out, "auth.txt"), "a") as f:
            f.write(f"{mechanism} {login} {password}\n")
        return AuthResult(success=(args.login == [login, password]), handled=False)

    def context_of(files):
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(files[0], files[1])
        return context

    handler = Handler()
    options = {}
    if args.starttls:
        options.update(tls_context=context_of(args.starttls), require_starttls=True)
    if args.login:
        # Under implicit TLS aiosmtpd does not see the TLS of the connection itself.
        options.update(authenticator=authenticator, auth_required=True, auth_require_tls=bool(args.starttls))

    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(loop.create_server(
        lambda: SMTP(handler, hostname="peer.test", **options), "127.0.0.1", 0,
        ssl=context_of(args.tls) if args.tls else None))
    print(server.sockets[0].getsockname()[1], flush=True)
    loop.run_forever()


def run_script(args):
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(5)
    print(listener.getsockname()[1], flush=True)
    log = open(os.path.join(args.out, "dialogue.log"), "ab", buffering=0)

    def serve(connection):
        reader = connection.makefile("rb")
        if args.silent:
            while connection.recv(4096):
                pass
            return
        if args.greeting:
            connection.sendall(args.greeting.encode() + b"\r\n")
            connection.close()
            return
        connection.sendall(b"220-peer.test ESMTP\r\n220-second line\r\n220 ready\r\n" if args.multiline
                           else b"220 peer.test ESMTP\r\n")
        in_data = False
        while True:
            line = reader.readline()
            if not line:
                return
            log.write(line)
            if in_data:
                if args.close_in_data:
                    connection.close()
                    return
                if line == b".\r\n":
                    in_data = False
                    connection.sendall(b"250 accepted\r\n")
                continue
            command = line.strip().upper()
            if command.startswith(b"HELO") and args.multiline:
                connection.sendall(b"250-peer.test\r\n 250 a continued line\r\n250 hello\r\n")
            elif command == b"DATA":
                in_data = True
                connection.sendall(b"354 go ahead\r\n")
            elif command == b"QUIT":
                connection.sendall(b"221 bye\r\n")
                connection.close()
                return
            else:
                connection.sendall(b"250 OK\r\n")

    while True:
        connection, _ = listener.accept()
        threading.Thread(target=serve, args=(connection,), daemon=True).start()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["server", "script"])
    parser.add_argument("--out", required=True)
    parser.add_argument("--refuse", action="append", default=[])
    parser.add_argument("--starttls", nargs=2)
    parser.add_argument("--tls", nargs=2)
    parser.add_argument("--login", nargs=2)
    parser.add_argument("--greeting")
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--close-in-data", action="store_true")
    parser.add_argument("--multiline", action="store_true")
    args = parser.parse_args()
    if args.mode == "server":
        run_server(args)
    else:
        run_script(args)


if __name__ == "__main__":
    sys.exit(main())
