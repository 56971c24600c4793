#!/usr/bin/env python3
"""A stand-in for the cloud service, for tests and demos.

An HTTPS server on 127.0.0.1 with a self-signed certificate made when it
starts. It speaks the account console and the upload endpoint closely enough
for the program, keeps every request it received byte for byte, and can be
told to misbehave. Python's standard library only (plus the openssl command
for the certificate).

Commands
  standin.py start --state DIR [options]   make DIR, start the server in the
        background, wait (at most 30 s) until it listens, print its port, exit 0
  standin.py stop --state DIR              stop it (SIGTERM, then SIGKILL after 10 s)
  standin.py serve --state DIR [options]   run in the foreground
  standin.py control --state DIR KEY=VALUE...   change a setting of a running server

Options of start and serve
  --lifetime SECONDS   the server ends itself after this long (default 1200)
  --account TEXT --password TEXT
                       the only credentials the login form accepts (UTF-8 on the
                       command line, compared as GBK bytes); without them any
                       account and password are accepted
  --formhash TEXT      the login page's form token (default 5a1b2c3d)
  --port N             listen on this port (default 0: any free port); for
                       programs built with the service's hosts fixed in them
  --no-record-body     record only the request head and the body's length
                       (for benchmarks with bodies of hundreds of MiB)
  --fresh              (start only) remove the requests and uploads of earlier runs

Files in the state directory
  port            the HTTPS port on 127.0.0.1 (written once the server listens)
  refused-port    a port that is bound but not listening: connecting is refused
  pid, log, cert.pem, key.pem
  requests/NNNNNN.http   every request as received (head and body), written
                  before the answer goes out, so a client that has its answer
                  finds the record; NNNNNN counts from 000001
  uploads/NNNNNN/FIELD   each multipart field of an accepted upload as raw bytes;
                  the file's filename parameter is in upload_file.filename

The service's endpoints
  GET  /account.php?...  the login page (UTF-8, meta charset utf-8) holding
        <input type="hidden" name="formhash" value="TOKEN" />, and a PHPSESSID cookie
  POST /account.php      the login form: action=login&task=login&...&formhash=TOKEN
        &username=U&password=P, percent-decoded ('+' and %XX) as a form is. On success
        the page holds 登录成功，欢迎您回来 and the answer sets the cookies
        phpdisk_info=... and ylogin=...; otherwise a page without that text.
  POST /fileup.php       the multipart upload. Accepted when the Cookie line holds
        phpdisk_info with the value the last successful login set, and the form has
        the fields task, folder_id, id, name, type, lastModifiedDate, size and
        upload_file. The answer is one line of JSON with \\u escapes: info is
        \\u4e0a\\u4f20\\u6210\\u529f (上传成功) on success and \\u4e0a\\u4f20\\u5931
        \\u8d25 (上传失败) otherwise.

Use from a test of the cross build: the CTest fixture in tests/standin starts
one server for the whole Wine session (state in build/windows/standin) and
passes its state directory in STANDIN_STATE; StandInClient.h reads the port
and the recorded requests. Tag each request (a query such as ?t=UNIQUE) to
find its record among those of tests running in parallel.

Settings changed at run time (GET /__control?KEY=VALUE&..., or the control
command): login=ok|fail (fail refuses every login), upload=ok|fail|login (login:
the default, accept only a logged-in session), formhash=TOKEN, account=TEXT,
password=TEXT. The answer is "ok".

Answers for tests (query values are percent-decoded)
  /echo                 200 OK, body "ok"
  /status/NNN           that status with a short body
  /answer?status=S&h=LINE&...&body=TEXT|bodyhex=HEX
                        status line "HTTP/1.1 S", each h as a header line, the body;
                        Content-Length is added unless a h line names it; e.g.
                        h=Set-Cookie:%20sid=1 sets a cookie and
                        h=Set-Cookie:%20sid=deleted;%20expires=Thu,%2001-Jan-1970%2000:00:01%20GMT
                        deletes it
  /raw?hex=HEX          exactly these bytes, then the connection closes (no status
                        line, header lines without CR LF, ...)
  /redirect?to=URL&code=302&h=LINE...   a redirect with Location: URL
  /page?charset=NAME&at=N&enc=utf-8|gbk&quote=double|single|none&meta=meta
                        an HTML page whose charset declaration starts at byte N
                        (default near the top); the visible text 中文页面 is
                        encoded in enc
  /cookies?n=N          N Set-Cookie lines c1=v1 ... cN=vN
  /bigheaders?kb=N      a header block of about N KiB
  /reset?after=N        200 with a Content-Length beyond the body, N body bytes,
                        then a TCP reset in the middle of the answer
  /stall?seconds=N      reads the request and answers nothing for N seconds (at
                        most 120), then closes
  /close                reads the request and closes without answering
  /sink                 reads the body and answers its length and SHA-256
"""

import argparse
import hashlib
import os
import shutil
import signal
import socket
import socketserver
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse
import urllib.request

MAX_HEAD = 64 * 1024 * 1024
LOGIN_SUCCESS = "登录成功，欢迎您回来"


class Settings:
    def __init__(self, args):
        self.lock = threading.Lock()
        self.formhash = args.formhash.encode("gbk")
        self.account = args.account.encode("gbk") if args.account is not None else None
        self.password = args.password.encode("gbk") if args.password is not None else None
        self.login = "ok"
        self.upload = "login"
        self.session = None
        self.record_body = not args.no_record_body


class Recorder:
    def __init__(self, state):
        self.lock = threading.Lock()
        self.count = 0
        self.requests = os.path.join(state, "requests")
        self.uploads = os.path.join(state, "uploads")
        os.makedirs(self.requests, exist_ok=True)
        os.makedirs(self.uploads, exist_ok=True)

    def next_number(self):
        with self.lock:
            self.count += 1
            return self.count

    def record(self, number, head, body, keep_body):
        name = os.path.join(self.requests, "%06d.http" % number)
        temp = name + ".part"
        with open(temp, "wb") as out:
            out.write(head)
            if keep_body:
                out.write(body)
            else:
                out.write(b"[body of %d bytes not kept]" % len(body))
        os.replace(temp, name)


class Request:
    def __init__(self, head, body):
        self.head = head
        self.body = body
        lines = head.split(b"\r\n")
        parts = lines[0].split(b" ")
        self.method = parts[0] if parts else b""
        self.target = parts[1] if len(parts) > 1 else b"/"
        self.headers = []
        for line in lines[1:]:
            if b":" in line:
                name, value = line.split(b":", 1)
                self.headers.append((name.strip().lower(), value.strip()))
        url = urllib.parse.urlsplit(self.target.decode("latin-1"))
        self.path = url.path
        self.query = urllib.parse.parse_qs(url.query, keep_blank_values=True,
                                           encoding="latin-1")

    def header(self, name):
        for key, value in self.headers:
            if key == name:
                return value
        return None

    def arg(self, name, default=None):
        values = self.query.get(name)
        return values[0] if values else default

    def args(self, name):
        return self.query.get(name, [])


def read_request(conn, first):
    """Reads one request; `first` holds bytes already received. Returns
    (head, body) or None when the peer closed before a whole head arrived."""
    data = bytearray(first)
    while b"\r\n\r\n" not in data:
        if len(data) > MAX_HEAD:
            return None
        chunk = conn.recv(65536)
        if not chunk:
            return None
        data += chunk
    end = data.index(b"\r\n\r\n") + 4
    head = bytes(data[:end])
    rest = data[end:]
    probe = Request(head, b"")
    if (probe.header(b"expect") or b"").lower() == b"100-continue":
        conn.sendall(b"HTTP/1.1 100 Continue\r\n\r\n")
    length = probe.header(b"content-length")
    if length is not None:
        wanted = int(length)
        body = bytearray(rest)
        while len(body) < wanted:
            chunk = conn.recv(min(1 << 20, wanted - len(body)))
            if not chunk:
                break
            body += chunk
        return head, bytes(body)
    if (probe.header(b"transfer-encoding") or b"").lower() == b"chunked":
        raw = bytearray(rest)
        body = bytearray()
        while True:
            while b"\r\n" not in raw:
                chunk = conn.recv(65536)
                if not chunk:
                    return head, bytes(body)
                raw += chunk
            line_end = raw.index(b"\r\n")
            size = int(raw[:line_end].split(b";")[0], 16)
            del raw[:line_end + 2]
            while len(raw) < size + 2:
                chunk = conn.recv(65536)
                if not chunk:
                    return head, bytes(body + raw)
                raw += chunk
            if size == 0:
                return head, bytes(body)
            body += raw[:size]
            del raw[:size + 2]
    return head, bytes(rest)


def answer(status, headers=(), body=b"", content_type=b"text/html"):
    lines = [b"HTTP/1.1 " + status]
    names = set()
    for line in headers:
        lines.append(line)
        names.add(line.split(b":", 1)[0].strip().lower())
    if b"content-type" not in names and content_type:
        lines.append(b"Content-Type: " + content_type)
    if b"content-length" not in names:
        lines.append(b"Content-Length: %d" % len(body))
    lines.append(b"Connection: close")
    return b"\r\n".join(lines) + b"\r\n\r\n" + body


def form_fields(body):
    """The fields of an application/x-www-form-urlencoded body, decoded as the
    service's own form handling does: '+' is a blank and %XX that byte."""
    fields = {}
    for item in body.split(b"&"):
        name, _, value = item.partition(b"=")
        decode = lambda raw: urllib.parse.unquote_to_bytes(raw.replace(b"+", b" "))
        fields.setdefault(decode(name), decode(value))
    return fields


def multipart_fields(body, boundary):
    """The fields of a multipart body whose parts are separated by lines of
    "--" + boundary; the last part may end without a closing delimiter."""
    fields = {}
    delimiter = b"--" + boundary
    for part in body.split(delimiter):
        if part.startswith(b"\r\n"):
            part = part[2:]
        if part.endswith(b"\r\n"):
            part = part[:-2]
        if b"\r\n\r\n" not in part:
            continue
        head, value = part.split(b"\r\n\r\n", 1)
        name = filename = None
        for line in head.split(b"\r\n"):
            if line.lower().startswith(b"content-disposition:"):
                for param in line.split(b";")[1:]:
                    key, _, quoted = param.strip().partition(b"=")
                    if quoted.startswith(b'"') and quoted.endswith(b'"'):
                        quoted = quoted[1:-1]
                    if key == b"name":
                        name = quoted
                    elif key == b"filename":
                        filename = quoted
        if name is not None:
            fields[name] = (value, filename)
    return fields


def json_escape(raw):
    """JSON text with every non-ASCII character as a \\u escape, the way the
    service writes its answers."""
    text = raw.decode("utf-8", "replace")
    out = []
    for ch in text:
        code = ord(ch)
        if ch in '"\\':
            out.append("\\" + ch)
        elif ch == "/":
            out.append("\\/")
        elif code < 0x20 or code > 0x7E:
            if code > 0xFFFF:
                code -= 0x10000
                out.append("\\u%04x\\u%04x" % (0xD800 + (code >> 10), 0xDC00 + (code & 0x3FF)))
            else:
                out.append("\\u%04x" % code)
        else:
            out.append(ch)
    return "".join(out).encode("ascii")


def html_page(title, text):
    return ('<!DOCTYPE html>\n<html>\n<head>\n<meta http-equiv="Content-Type" '
            'content="text/html; charset=utf-8" />\n<title>%s</title>\n</head>\n'
            '<body>\n%s\n</body>\n</html>\n' % (title, text)).encode("utf-8")


class Handler(socketserver.BaseRequestHandler):
    def setup(self):
        self.request.settimeout(300)

    def handle(self):
        server = self.server
        try:
            conn = server.context.wrap_socket(self.request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        try:
            got = read_request(conn, b"")
            if got is None:
                return
            head, body = got
            number = server.recorder.next_number()
            server.recorder.record(number, head, body, server.settings.record_body)
            self.respond(conn, Request(head, body), number)
        except (ssl.SSLError, OSError, ValueError) as error:
            server.log("request failed: %r" % (error,))
        finally:
            try:
                conn.close()
            except OSError:
                pass

    def respond(self, conn, req, number):
        path = req.path
        if path == "/account.php":
            conn.sendall(self.account(req))
        elif path == "/fileup.php":
            conn.sendall(self.upload(req, number))
        elif path == "/__control":
            conn.sendall(self.control(req))
        elif path == "/echo":
            conn.sendall(answer(b"200 OK", body=b"ok"))
        elif path.startswith("/status/"):
            code = path[len("/status/"):].encode("latin-1")
            conn.sendall(answer(code + b" " + reason(code), body=b"status " + code))
        elif path == "/answer":
            status = req.arg("status", "200 OK").encode("latin-1")
            headers = [h.encode("latin-1") for h in req.args("h")]
            conn.sendall(answer(status, headers, body_of(req), content_type=None))
        elif path == "/raw":
            conn.sendall(bytes.fromhex(req.arg("hex", "")))
        elif path == "/redirect":
            code = req.arg("code", "302").encode("latin-1")
            headers = [b"Location: " + req.arg("to", "/echo").encode("latin-1")]
            headers += [h.encode("latin-1") for h in req.args("h")]
            conn.sendall(answer(code + b" " + reason(code), headers, b"redirect body"))
        elif path == "/page":
            conn.sendall(answer(b"200 OK", body=page(req), content_type=None))
        elif path == "/cookies":
            count = int(req.arg("n", "1"))
            headers = [b"Set-Cookie: c%d=v%d; path=/" % (i, i) for i in range(1, count + 1)]
            conn.sendall(answer(b"200 OK", headers, b"cookies"))
        elif path == "/bigheaders":
            size = int(req.arg("kb", "1024")) * 1024
            filler = b"X-Filler-%06d: " + b"f" * 100
            headers = [filler % i for i in range(size // 120 + 1)]
            conn.sendall(answer(b"200 OK", headers, b"big"))
        elif path == "/reset":
            after = int(req.arg("after", "1000"))
            conn.sendall(answer(b"200 OK", [b"Content-Length: %d" % (after + 100000)],
                                b"r" * after))
            time.sleep(0.2)
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.request.close()
        elif path == "/stall":
            seconds = min(float(req.arg("seconds", "10")), 120.0)
            self.server.stopping.wait(seconds)
        elif path == "/close":
            return
        elif path == "/sink":
            digest = hashlib.sha256(req.body).hexdigest().encode("ascii")
            conn.sendall(answer(b"200 OK", body=b"%d %s" % (len(req.body), digest),
                                content_type=b"text/plain"))
        else:
            conn.sendall(answer(b"404 Not Found", body=b"not found"))

    def account(self, req):
        settings = self.server.settings
        if req.method == b"GET":
            token = settings.formhash.decode("gbk")
            text = ('<form action="account.php" method="post">\n'
                    '<input type="hidden" name="formhash" value="%s" />\n'
                    '<input type="text" name="username" />\n'
                    '<input type="password" name="password" />\n</form>' % token)
            return answer(b"200 OK", [b"Set-Cookie: PHPSESSID=s%06d; path=/" % os.getpid()],
                          html_page("登录", text), content_type=b"text/html; charset=utf-8")
        fields = form_fields(req.body)
        with settings.lock:
            accepted = (settings.login == "ok"
                        and fields.get(b"action") == b"login"
                        and fields.get(b"task") == b"login"
                        and fields.get(b"formhash") == settings.formhash
                        and (settings.account is None or fields.get(b"username") == settings.account)
                        and (settings.password is None or fields.get(b"password") == settings.password))
            if accepted:
                settings.session = b"%08x" % (int(time.time() * 1000) & 0xFFFFFFFF)
                session = settings.session
        if not accepted:
            return answer(b"200 OK", body=html_page("登录", "账号或密码错误，请重新登录"),
                          content_type=b"text/html; charset=utf-8")
        headers = [b"Set-Cookie: phpdisk_info=" + session + b"; expires=Fri, 11-Dec-2037 00:00:00 GMT; path=/",
                   b"Set-Cookie: ylogin=1234567; expires=Fri, 11-Dec-2037 00:00:00 GMT; path=/"]
        return answer(b"200 OK", headers, html_page("登录", LOGIN_SUCCESS),
                      content_type=b"text/html; charset=utf-8")

    def upload(self, req, number):
        settings = self.server.settings
        cookies = {}
        for item in (req.header(b"cookie") or b"").split(b";"):
            name, _, value = item.strip().partition(b"=")
            cookies[name] = value
        content_type = req.header(b"content-type") or b""
        boundary = content_type.partition(b"boundary=")[2]
        fields = multipart_fields(req.body, boundary) if boundary else {}
        with settings.lock:
            mode = settings.upload
            logged_in = settings.session is not None and cookies.get(b"phpdisk_info") == settings.session
        complete = all(name in fields for name in (b"task", b"folder_id", b"id", b"name", b"type",
                                                     b"lastModifiedDate", b"size", b"upload_file"))
        ok = complete and (mode == "ok" or (mode == "login" and logged_in))
        if not ok:
            reply = b'{"zt":0,"info":"' + json_escape("上传失败".encode("utf-8")) + b'","text":null}'
            return answer(b"200 OK", body=reply, content_type=b"text/html; charset=utf-8")
        folder = os.path.join(self.server.recorder.uploads, "%06d" % number)
        os.makedirs(folder, exist_ok=True)
        for name, (value, filename) in fields.items():
            safe = "".join(c if c.isalnum() or c in "_-" else "_" for c in name.decode("latin-1"))
            with open(os.path.join(folder, safe), "wb") as out:
                out.write(value)
            if filename is not None:
                with open(os.path.join(folder, safe + ".filename"), "wb") as out:
                    out.write(filename)
        name = json_escape(fields[b"name"][0])
        reply = (b'{"zt":1,"info":"' + json_escape("上传成功".encode("utf-8")) +
                 b'","text":[{"icon":"file","id":"%d","f_id":"i%06d","name_all":"' % (number, number) +
                 name + b'","name":"' + name + b'","size":"' + fields[b"size"][0] +
                 b' K","time":"' + json_escape("0 秒前".encode("utf-8")) +
                 b'","downs":"0","onof":"0","is_newd":"https://127.0.0.1/"}]}')
        return answer(b"200 OK", body=reply, content_type=b"text/html; charset=utf-8")

    def control(self, req):
        settings = self.server.settings
        with settings.lock:
            for key, values in req.query.items():
                value = values[0].encode("latin-1").decode("utf-8")
                if key == "login" and value in ("ok", "fail"):
                    settings.login = value
                elif key == "upload" and value in ("ok", "fail", "login"):
                    settings.upload = value
                elif key == "formhash":
                    settings.formhash = value.encode("gbk")
                elif key == "account":
                    settings.account = value.encode("gbk")
                elif key == "password":
                    settings.password = value.encode("gbk")
                else:
                    return answer(b"400 Bad Request", body=b"unknown setting")
        return answer(b"200 OK", body=b"ok", content_type=b"text/plain")


def reason(code):
    return {b"200": b"OK", b"204": b"No Content", b"301": b"Moved Permanently",
            b"302": b"Found", b"303": b"See Other", b"307": b"Temporary Redirect",
            b"404": b"Not Found", b"500": b"Internal Server Error",
            b"502": b"Bad Gateway", b"503": b"Service Unavailable"}.get(code, b"Status")


def body_of(req):
    if req.arg("bodyhex") is not None:
        return bytes.fromhex(req.arg("bodyhex"))
    return req.arg("body", "").encode("latin-1")


def page(req):
    enc = req.arg("enc", "utf-8")
    quote = {"double": '"', "single": "'", "none": ""}[req.arg("quote", "double")]
    meta = req.arg("meta", "meta")
    charset = req.arg("charset", "utf-8")
    if quote:
        declaration = "<%s charset=%s%s%s>" % (meta, quote, charset, quote)
    else:
        declaration = ('<%s http-equiv="Content-Type" content="text/html; charset=%s">'
                       % (meta, charset))
    declaration = declaration.encode("ascii")
    top = b"<html><head><title>page</title>\n"
    at = max(int(req.arg("at", str(len(top)))), len(top))
    head = top + b" " * (at - len(top))
    return head + declaration + b"</head><body>" + "中文页面".encode(enc) + b"</body></html>"


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True

    def __init__(self, state, settings, port=0):
        super().__init__(("127.0.0.1", port), Handler)
        self.stopping = threading.Event()
        self.settings = settings
        self.recorder = Recorder(state)
        self.context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        self.context.load_cert_chain(os.path.join(state, "cert.pem"), os.path.join(state, "key.pem"))
        self.log_path = os.path.join(state, "log")

    def log(self, message):
        with open(self.log_path, "a") as out:
            out.write("%s %s\n" % (time.strftime("%H:%M:%S"), message))


def make_certificate(state):
    cert = os.path.join(state, "cert.pem")
    key = os.path.join(state, "key.pem")
    if os.path.exists(cert) and os.path.exists(key):
        return
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def write_file(path, text):
    temp = path + ".part"
    with open(temp, "w") as out:
        out.write(text)
    os.replace(temp, path)


def serve(args):
    state = os.path.abspath(args.state)
    os.makedirs(state, exist_ok=True)
    make_certificate(state)
    server = Server(state, Settings(args), args.port)
    refused = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    refused.bind(("127.0.0.1", 0))
    write_file(os.path.join(state, "refused-port"), "%d\n" % refused.getsockname()[1])
    write_file(os.path.join(state, "pid"), "%d\n" % os.getpid())
    write_file(os.path.join(state, "port"), "%d\n" % server.server_address[1])

    def stop(*_):
        server.stopping.set()
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    timer = threading.Timer(args.lifetime, stop)
    timer.daemon = True
    timer.start()
    server.log("listening on 127.0.0.1:%d" % server.server_address[1])
    server.serve_forever(poll_interval=0.2)
    server.server_close()
    for name in ("port", "pid"):
        try:
            os.remove(os.path.join(state, name))
        except OSError:
            pass


def start(args):
    state = os.path.abspath(args.state)
    os.makedirs(state, exist_ok=True)
    stop(args)
    if args.fresh:
        for name in ("requests", "uploads"):
            shutil.rmtree(os.path.join(state, name), ignore_errors=True)
    for name in ("port", "pid"):
        try:
            os.remove(os.path.join(state, name))
        except OSError:
            pass
    command = [sys.executable, os.path.abspath(__file__), "serve", "--state", state,
               "--lifetime", str(args.lifetime), "--formhash", args.formhash,
               "--port", str(args.port)]
    if args.account is not None:
        command += ["--account", args.account]
    if args.password is not None:
        command += ["--password", args.password]
    if args.no_record_body:
        command.append("--no-record-body")
    with open(os.path.join(state, "log"), "a") as log:
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                   start_new_session=True)
    deadline = time.monotonic() + 30
    port_file = os.path.join(state, "port")
    while time.monotonic() < deadline:
        if os.path.exists(port_file):
            with open(port_file) as f:
                print(f.read().strip())
            return 0
        if process.poll() is not None:
            break
        time.sleep(0.05)
    print("standin: the server did not start; see %s" % os.path.join(state, "log"), file=sys.stderr)
    if process.poll() is None:
        process.kill()
    return 1


def stop(args):
    pid_file = os.path.join(os.path.abspath(args.state), "pid")
    try:
        with open(pid_file) as f:
            pid = int(f.read().strip())
    except (OSError, ValueError):
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return 0
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            return 0
        time.sleep(0.05)
    try:
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    return 0


def control(args):
    state = os.path.abspath(args.state)
    with open(os.path.join(state, "port")) as f:
        port = int(f.read().strip())
    query = urllib.parse.urlencode([tuple(item.split("=", 1)) for item in args.settings])
    context = ssl._create_unverified_context()
    with urllib.request.urlopen("https://127.0.0.1:%d/__control?%s" % (port, query),
                                context=context, timeout=10) as reply:
        print(reply.read().decode())
    return 0


def main():
    parser = argparse.ArgumentParser(description="Stand-in for the cloud service (HTTPS on 127.0.0.1)")
    sub = parser.add_subparsers(dest="command", required=True)
    for name in ("start", "serve"):
        p = sub.add_parser(name)
        p.add_argument("--state", required=True)
        p.add_argument("--lifetime", type=float, default=1200)
        p.add_argument("--account")
        p.add_argument("--password")
        p.add_argument("--formhash", default="5a1b2c3d")
        p.add_argument("--port", type=int, default=0)
        p.add_argument("--no-record-body", action="store_true")
        p.add_argument("--fresh", action="store_true")
    p = sub.add_parser("stop")
    p.add_argument("--state", required=True)
    p = sub.add_parser("control")
    p.add_argument("--state", required=True)
    p.add_argument("settings", nargs="+")
    args = parser.parse_args()
    return {"start": start, "serve": lambda a: serve(a) or 0, "stop": stop,
            "control": control}[args.command](args)


if __name__ == "__main__":
    sys.exit(main())
