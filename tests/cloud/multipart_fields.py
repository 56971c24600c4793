#!/usr/bin/env python3
"""Parses a multipart/form-data body with Python's own MIME parser and prints
one line per named part: name, file name (or '-') and the payload, each in
hex, separated by tabs. Names are printed in hex so that UTF-8 and GBK bytes
come through as they are.

    multipart_fields.py BODY_FILE CONTENT_TYPE_VALUE
"""
import email.parser
import email.policy
import re
import sys


def hexed(value):
    if value is None:
        return "-"
    if isinstance(value, str):
        value = value.encode("utf-8", "surrogateescape")
    return value.hex()


def main():
    with open(sys.argv[1], "rb") as f:
        body = f.read()
    head = b"Content-Type: " + sys.argv[2].encode("ascii") + b"\r\n\r\n"
    message = email.parser.BytesParser(policy=email.policy.compat32).parsebytes(head + body)
    if not message.is_multipart():
        print("not multipart", file=sys.stderr)
        return 1
    for part in message.get_payload():
        disposition = part.get("Content-Disposition")
        if disposition is None:
            continue
        # The raw header bytes: the parameters may hold UTF-8 that the
        # parser's own header decoding would replace.
        raw = dict(part.raw_items())["Content-Disposition"].encode("ascii", "surrogateescape")
        params = dict(re.findall(rb'\b(name|filename)="([^"]*)"', raw))
        params = {key.decode(): value for key, value in params.items()}
        payload = part.get_payload(decode=True)
        print("\t".join([hexed(params.get("name")), hexed(params.get("filename")),
                         hexed(payload or b"")]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
