#!/usr/bin/python3
"""The peer of mail_bench: Python's smtplib sends the same message COUNT times,
each to its own recipient on its own connection (HELO, MAIL, RCPT, DATA, QUIT),
and prints the milliseconds the sends took.

  smtplib_peer.py HOST PORT MESSAGE_FILE FROM COUNT
"""
import smtplib
import sys
import time


def main():
    host, port, message_file, sender, count = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], int(sys.argv[5])
    with open(message_file, "rb") as f:
        message = f.read()
    start = time.perf_counter()
    for number in range(count):
        with smtplib.SMTP(host, port) as client:
            client.helo("bench")
            client.sendmail(sender, [f"member{number}@example.com"], message)
    print(f"{(time.perf_counter() - start) * 1000:.3f}")


if __name__ == "__main__":
    main()
