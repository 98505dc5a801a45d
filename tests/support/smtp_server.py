#!/usr/bin/env python3
"""A real SMTP server on loopback for the mail tests, and a reader of what it received.

serve DIR [--tls CERT KEY] [--auth USER PASS] [--refuse ADDR]... [--silent-after-data]
    Listens on a free loopback port, writes the port to DIR/port once ready, and stores each
    message as DIR/msg-N.eml with its envelope in DIR/msg-N.json. Runs until stdin closes.
    With --tls the server offers STARTTLS and requires it; with --auth it requires AUTH; with
    --silent-after-data it takes a message's data and never answers it.
read FILE.eml OUTDIR
    Parses one stored message with Python's email module and prints a JSON summary; each
    attachment is decoded into OUTDIR under its file name.
"""
import json
import os
import socket
import ssl
import sys


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def serve(argv):
    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import AuthResult, LoginPassword

    out = argv[0]
    tls = auth = None
    refused = set()
    silent = False
    i = 1
    while i < len(argv):
        if argv[i] == "--tls":
            tls = (argv[i + 1], argv[i + 2]); i += 3
        elif argv[i] == "--auth":
            auth = (argv[i + 1], argv[i + 2]); i += 3
        elif argv[i] == "--refuse":
            refused.add(argv[i + 1].lower()); i += 2
        elif argv[i] == "--silent-after-data":
            silent = True; i += 1
        else:
            raise SystemExit("unknown option " + argv[i])

    class Handler:
        count = 0

        async def handle_EHLO(self, server, session, envelope, hostname, responses):
            session.host_name = hostname
            return responses

        async def handle_HELO(self, server, session, envelope, hostname):
            session.host_name = hostname
            return "250 {}".format(server.hostname)

        async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
            if address.lower() in refused:
                return "550 5.1.1 No such user here"
            envelope.rcpt_tos.append(address)
            return "250 OK"

        async def handle_DATA(self, server, session, envelope):
            if silent:
                import asyncio
                await asyncio.sleep(600)
            Handler.count += 1
            base = os.path.join(out, "msg-%d" % Handler.count)
            with open(base + ".eml", "wb") as f:
                f.write(envelope.original_content)
            with open(base + ".json", "w") as f:
                json.dump({"from": envelope.mail_from, "rcpt": envelope.rcpt_tos,
                           "helo": session.host_name, "tls": session.ssl is not None,
                           "auth": bool(getattr(session, "authenticated", False))}, f)
            return "250 Message accepted for delivery"

    kwargs = {}
    if tls:
        ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        ctx.load_cert_chain(tls[0], tls[1])
        kwargs.update(tls_context=ctx, require_starttls=True)
    if auth:
        def authenticator(server, session, envelope, mechanism, data):
            ok = isinstance(data, LoginPassword) and data.login.decode() == auth[0] \
                and data.password.decode() == auth[1]
            return AuthResult(success=ok, handled=False)
        kwargs.update(authenticator=authenticator, auth_required=True, auth_require_tls=bool(tls))
    port = free_port()
    controller = Controller(Handler(), hostname="127.0.0.1", port=port, **kwargs)
    controller.start()
    with open(os.path.join(out, "port.tmp"), "w") as f:
        f.write(str(port))
    os.rename(os.path.join(out, "port.tmp"), os.path.join(out, "port"))
    sys.stdin.read()
    controller.stop()


def read(argv):
    import email
    from email import policy

    path, outdir = argv
    with open(path, "rb") as f:
        raw = f.read()
    msg = email.message_from_bytes(raw, policy=policy.default)
    summary = {"headers": [[k, str(v)] for k, v in msg.items()],
               "header_names": [k.lower() for k in msg.keys()],
               "defects": [type(d).__name__ for d in msg.defects],
               "content_type": msg.get_content_type(), "parts": []}
    for part in msg.walk():
        if part.is_multipart():
            continue
        entry = {"type": part.get_content_type(), "filename": part.get_filename(),
                 "disposition": part.get_content_disposition(),
                 "encoding": part.get("Content-Transfer-Encoding", ""),
                 "charset": part.get_content_charset()}
        summary["defects"] += [type(d).__name__ for d in part.defects]
        if part.get_filename():
            data = part.get_payload(decode=True)
            target = os.path.join(outdir, os.path.basename(part.get_filename()))
            with open(target, "wb") as f:
                f.write(data)
            entry["saved"] = target
            entry["size"] = len(data)
        else:
            entry["text"] = part.get_content()
        summary["parts"].append(entry)
    json.dump(summary, sys.stdout)


if __name__ == "__main__":
    {"serve": serve, "read": read}[sys.argv[1]](sys.argv[2:])
