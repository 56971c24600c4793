"""The real program, built for the stand-in service, started as Send To
starts it: it logs in, uploads the file named on its command line and says
how that went. The stand-in keeps every request it received; the tests
compare those records with what the program must send.

Environment (from ctest, see tests/cloud/CMakeLists.txt): the variables of
tests/e2e/gui.py, with LANZOU_PROGRAM the program built for the stand-in,
plus STANDIN_STATE (its state directory) and STANDIN_PORT.
"""

import os
import shutil
import subprocess
import sys
import time
import unittest

from gui import Driver, DriverError, Prefix, STEP_DEADLINE_MS, env, screenshot, windows_path

HERE = os.path.dirname(os.path.abspath(__file__))
STANDIN = os.path.join(HERE, "..", "standin", "standin.py")
FIXTURE = os.path.join(HERE, "standin-fixture")
D = b"-" * 29 + b"81971010215309"
TOKEN = b"5a1b2c3d"
ACCOUNT, PASSWORD, FOLDER = 1, 2, 3
SAVE_BUTTON = 9
# How long a start with nothing to say is watched for a message box: the
# start-up sequence waits one second, so a box would come within this time.
QUIET_START_MS = 3000
# The upload's message box comes after the login and the one-second wait.
UPLOAD_DEADLINE_MS = 60000


def gbk(text):
    return text.encode("gbk")


def filled_form(folder, name, modified, size, data):
    """The upload form as the service's web uploader sends it."""
    def field(field_name, value):
        return [D, b'Content-Disposition: form-data; name="%s"' % field_name, b"", value]
    lines = (field(b"task", b"1") + field(b"folder_id", folder) + field(b"id", b"WU_FILE_0") +
             field(b"name", name) + field(b"type", b"application/octet-stream") +
             field(b"lastModifiedDate", modified) + field(b"size", size) +
             [D, b'Content-Disposition: form-data; name="upload_file"; filename="' + name + b'"',
              b"Content-Type: application/octet-stream", b"", data, D])
    return b"\r\n".join(lines)


def modified_text(path):
    """The file's last-write time as the program writes it (Wine's local
    time is the host's)."""
    return time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(os.path.getmtime(path))).encode()


class Service:
    """The running stand-in of this test run."""

    def __init__(self):
        self.state = env("STANDIN_STATE")
        self.port = env("STANDIN_PORT")

    def control(self, *settings):
        subprocess.run([sys.executable, STANDIN, "control", "--state", self.state] +
                       list(settings), check=True, timeout=30, stdout=subprocess.DEVNULL)

    def count(self):
        directory = os.path.join(self.state, "requests")
        return len([n for n in os.listdir(directory) if n.endswith(".http")])

    def requests_since(self, count):
        records = []
        for number in range(count + 1, self.count() + 1):
            with open(os.path.join(self.state, "requests", "%06d.http" % number), "rb") as f:
                whole = f.read()
            head, _, body = whole.partition(b"\r\n\r\n")
            records.append((number, head + b"\r\n", body))
        return records

    def uploaded(self, number, field):
        with open(os.path.join(self.state, "uploads", "%06d" % number, field), "rb") as f:
            return f.read()

    def stop(self):
        subprocess.run([FIXTURE, "stop", self.state], check=True, timeout=30)

    def restart(self):
        subprocess.run([FIXTURE, "start", self.state, self.port], check=True, timeout=60,
                       stdout=subprocess.DEVNULL)


def request_line(head):
    return head.split(b"\r\n", 1)[0]


def header(head, name):
    for line in head.split(b"\r\n")[1:]:
        key, _, value = line.partition(b": ")
        if key.lower() == name.lower():
            return value
    return None


class UploadTestCase(unittest.TestCase):
    def setUp(self):
        self.prefix = Prefix()
        self.service = Service()
        self.service.control("login=ok", "upload=login", "formhash=" + TOKEN.decode(),
                             "account=用户a", "password=p&w=1%+ x")
        self.files = os.path.join(env("LANZOU_ARTIFACTS"), "upload-files", self.id().split(".")[-1])
        shutil.rmtree(self.files, ignore_errors=True)
        os.makedirs(self.files)
        self.write_settings("用户a", "p&w=1%+ x", "2718281")
        self.driver = Driver()
        self.addCleanup(self.driver.close)

    def write_settings(self, account, password, folder):
        with open(self.prefix.settings_file(), "wb") as f:
            f.write(gbk("[编辑框]\r\n编辑框3=%s\r\n编辑框2=%s\r\n编辑框1=%s\r\n"
                        % (folder, password, account)))

    def make(self, name, content):
        path = os.path.join(self.files, name)
        with open(path, "wb") as f:
            f.write(content)
        return path

    def start(self, arguments=""):
        return self.driver.start_program(arguments)

    def wait_message(self, pid, deadline=UPLOAD_DEADLINE_MS):
        box, title, text, icon, buttons = self.driver.call("wait-message", deadline, pid)
        return box, {"title": title, "text": text, "icon": icon == "1",
                     "buttons": buttons.split("|") if buttons else []}

    def expect_box(self, pid, text, window=None):
        """The upload's message box: its text, the title, no icon, one button,
        task-modal (the window takes no input meanwhile); dismissed, it leaves
        the window open and working."""
        box, seen = self.wait_message(pid)
        self.assertEqual(seen["text"], text)
        self.assertEqual(seen["title"], "信息：")
        self.assertFalse(seen["icon"])
        self.assertEqual(len(seen["buttons"]), 1)
        if window is not None:
            self.assertEqual(self.driver.call("enabled", window), ["0"])
        self.driver.call("dismiss", box, STEP_DEADLINE_MS)
        if window is not None:
            self.assertEqual(self.driver.call("enabled", window), ["1"])

    def assert_quiet(self, pid):
        with self.assertRaises(DriverError):
            self.driver.call("wait-message", QUIET_START_MS, pid)

    def close(self, pid, window):
        # The window stays open after the upload until it is closed.
        self.assertEqual(self.driver.call("exists", window)[0], "1")
        self.assertEqual(self.driver.close_program(pid, window), 0)

    def assert_login(self, records, account=gbk("用户a"), password=gbk("p&w=1%+ x")):
        """The two login requests; the form's values percent-encoded."""
        self.assertGreaterEqual(len(records), 2)
        (_, page_head, _), (_, form_head, form_body) = records[0], records[1]
        self.assertEqual(request_line(page_head),
                         b"GET /account.php?action=login&ref=/mydisk.php HTTP/1.1")
        self.assertEqual(request_line(form_head), b"POST /account.php HTTP/1.1")
        encode = lambda raw: b"".join(
            bytes([c]) if (chr(c).isascii() and chr(c).isalnum()) or c in b"-._*" else b"%%%02X" % c
            for c in raw)
        self.assertEqual(form_body, b"action=login&task=login&ref=%2Fmydisk.php&formhash=" + TOKEN +
                         b"&username=" + encode(account) + b"&password=" + encode(password))
        self.assertIsNone(header(form_head, b"Cookie"))

    def upload_of(self, records):
        uploads = [r for r in records if request_line(r[1]).startswith(b"POST /fileup.php")]
        self.assertEqual(len(uploads), 1)
        return uploads[0]


class UploadTests(UploadTestCase):
    def test_settings_saved_then_a_file_sent_arrives_byte_for_byte(self):
        # The user saves the settings in the window first.
        os.remove(self.prefix.settings_file())
        pid, window = self.start()
        self.driver.call("type", self.driver.control(window, ACCOUNT), "用户a")
        self.driver.call("set-text", self.driver.control(window, PASSWORD), "p&w=1%+ x")
        self.driver.call("set-text", self.driver.control(window, FOLDER), "2718281")
        self.driver.call("click-wait", self.driver.control(window, SAVE_BUTTON), STEP_DEADLINE_MS)
        self.close(pid, window)

        content = bytes(range(256)) * 20 + b"\r\n" + D[:-1] + b"\r\n"
        path = self.make("photo.bin", content)
        before = self.service.count()
        pid, window = self.start('"%s"' % windows_path(path))
        self.expect_box(pid, "上传成功", window)
        screenshot("upload-success.png")
        records = self.service.requests_since(before)
        self.assertEqual(len(records), 3)
        self.assert_login(records)
        number, head, body = self.upload_of(records)
        self.assertEqual(header(head, b"Content-Type"),
                         b"multipart/form-data; boundary=" + D[2:])
        self.assertEqual(body, filled_form(b"2718281", b"photo.bin", modified_text(path), b"6",
                                           content))
        cookie = header(head, b"Cookie") or b""
        self.assertIn(b"phpdisk_info=", cookie)
        self.assertIn(b"ylogin=1234567", cookie)
        self.assertEqual(self.service.uploaded(number, "upload_file"), content)
        self.close(pid, window)

    def test_no_argument_logs_in_and_uploads_nothing(self):
        before = self.service.count()
        pid, window = self.start()
        self.assert_quiet(pid)
        records = self.service.requests_since(before)
        self.assertEqual(len(records), 2)
        self.assert_login(records)
        self.close(pid, window)

    def test_only_the_first_of_two_paths_is_uploaded_once(self):
        first = self.make("first.txt", b"first")
        second = self.make("second.txt", b"second")
        before = self.service.count()
        pid, window = self.start('"%s" "%s"' % (windows_path(first), windows_path(second)))
        self.expect_box(pid, "上传成功")
        number, _, _ = self.upload_of(self.service.requests_since(before))
        self.assertEqual(self.service.uploaded(number, "upload_file"), b"first")
        self.assert_quiet(pid)
        self.assertEqual(len(self.service.requests_since(before)), 3)
        self.close(pid, window)

    def test_a_quoted_path_with_blanks_arrives_whole(self):
        os.makedirs(os.path.join(self.files, "my files"))
        path = self.make(os.path.join("my files", "a b.txt"), b"blanks")
        before = self.service.count()
        pid, window = self.start('"%s"' % windows_path(path))
        self.expect_box(pid, "上传成功")
        number, _, _ = self.upload_of(self.service.requests_since(before))
        self.assertEqual(self.service.uploaded(number, "upload_file"), b"blanks")
        self.assertEqual(self.service.uploaded(number, "name"), b"a b.txt")
        self.close(pid, window)

    def test_names_and_sizes(self):
        cases = [("报告.txt", b"x" * 1500, b"2"), ("empty.txt", b"", b"0")]
        for name, content, size in cases:
            with self.subTest(name=name):
                path = self.make(name, content)
                before = self.service.count()
                pid, window = self.start('"%s"' % windows_path(path))
                self.expect_box(pid, "上传成功")
                number, _, body = self.upload_of(self.service.requests_since(before))
                self.assertEqual(body, filled_form(b"2718281", name.encode("utf-8"),
                                                   modified_text(path), size, content))
                self.assertEqual(self.service.uploaded(number, "upload_file.filename"),
                                 name.encode("utf-8"))
                self.close(pid, window)

    def test_a_missing_file_goes_out_empty(self):
        path = os.path.join(self.files, "gone.txt")
        before = self.service.count()
        pid, window = self.start('"%s"' % windows_path(path))
        # The stand-in takes any complete form; the answer decides the box.
        self.expect_box(pid, "上传成功")
        _, _, body = self.upload_of(self.service.requests_since(before))
        self.assertEqual(body, filled_form(b"2718281", b"gone.txt", b"", b"-1", b""))
        self.close(pid, window)

    def test_the_service_refusing_the_file(self):
        self.service.control("upload=fail")
        path = self.make("refused.txt", b"no")
        pid, window = self.start('"%s"' % windows_path(path))
        self.expect_box(pid, "上传失败")
        self.close(pid, window)

    def test_a_wrong_password_leaves_no_session(self):
        self.write_settings("用户a", "wrong", "1")
        path = self.make("nosession.txt", b"no")
        pid, window = self.start('"%s"' % windows_path(path))
        self.expect_box(pid, "上传失败")
        self.close(pid, window)

    def test_the_service_not_listening(self):
        self.service.stop()
        self.addCleanup(self.service.restart)
        path = self.make("offline.txt", b"offline")
        pid, window = self.start('"%s"' % windows_path(path))
        self.expect_box(pid, "上传失败", window)
        screenshot("upload-offline.png")
        self.close(pid, window)
        with open(path, "rb") as f:
            self.assertEqual(f.read(), b"offline")


if __name__ == "__main__":
    unittest.main()
