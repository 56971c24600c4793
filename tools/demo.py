#!/usr/bin/env python3
"""The demo's part inside the display: see tools/demo, which sets the
environment. Argument: the file to send, or empty for a sample file."""

import hashlib
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tests", "e2e"))
from gui import Driver, Prefix, env, screenshot, windows_path  # noqa: E402

ACCOUNT, PASSWORD, FOLDER = "demo", "demo&pass", "2718281"


def digest(data):
    return hashlib.sha256(data).hexdigest()


def main():
    state = env("STANDIN_STATE")
    path = sys.argv[1] if len(sys.argv) > 1 and sys.argv[1] else ""
    if not path:
        directory = env("LANZOU_ARTIFACTS")
        os.makedirs(directory, exist_ok=True)
        path = os.path.join(directory, "示例文件.txt")
        with open(path, "wb") as f:
            f.write("发送至蓝奏云：这是一个示例文件。\r\nA sample file, sent as Send To sends it.\r\n"
                    .encode("utf-8") * 40)
        print("demo: no file named; sending the sample file %s" % path)

    # The settings the user would have saved in the window.
    prefix = Prefix()
    with open(prefix.settings_file(), "wb") as f:
        f.write(("[编辑框]\r\n编辑框3=%s\r\n编辑框2=%s\r\n编辑框1=%s\r\n"
                 % (FOLDER, PASSWORD, ACCOUNT)).encode("gbk"))
    print("demo: settings in the Wine prefix: account %r, password %r, folder %r"
          % (ACCOUNT, PASSWORD, FOLDER))

    with Driver() as driver:
        argument = '"%s"' % windows_path(path)
        print("demo: starting the program as Send To does: lanzou-sendto.exe %s" % argument)
        pid, window = driver.start_program(argument)
        box, title, text = driver.call("wait-message", 120000, pid, seconds=180)[:3]
        shot = screenshot("demo-screen.png")
        driver.call("dismiss", box, 10000)
        still_open = driver.call("exists", window)[0] == "1"
        driver.close_program(pid, window)

    print()
    print("message box:      %s  (title %s)" % (text, title))
    print("window after it:  %s" % ("still open, closed by the demo" if still_open else "gone"))
    requests = sorted(os.listdir(os.path.join(state, "requests")))
    print("service received: %d requests" % len(requests))
    for name in requests:
        with open(os.path.join(state, "requests", name), "rb") as f:
            print("                  " + f.readline().decode("latin-1").strip())
    with open(path, "rb") as f:
        original = f.read()
    uploads = sorted(os.listdir(os.path.join(state, "uploads")))
    if not uploads:
        print("received file:    none (the service took no upload)")
        ok = False
    else:
        folder = os.path.join(state, "uploads", uploads[-1])
        with open(os.path.join(folder, "upload_file"), "rb") as f:
            received = f.read()
        with open(os.path.join(folder, "upload_file.filename"), "rb") as f:
            name = f.read().decode("utf-8", "replace")
        with open(os.path.join(folder, "folder_id"), "rb") as f:
            folder_id = f.read().decode("latin-1")
        ok = received == original
        print("received file:    %r into folder %s, %d bytes, sha256 %s"
              % (name, folder_id, len(received), digest(received)))
        print("original file:    %s, %d bytes, sha256 %s"
              % (path, len(original), digest(original)))
        print("comparison:       %s" % ("identical, byte for byte" if ok else "DIFFERENT"))
    print("screenshot:       %s" % shot)
    return 0 if ok and text == "上传成功" else 1


if __name__ == "__main__":
    sys.exit(main())
