"""Helpers for end-to-end tests of the real program under Wine and Xvfb.

A test starts the GUI driver (tests/driver/GuiDriver.cpp, whose head comment
lists its commands), lets the driver start lanzou-sendto.exe with a chosen
command line, and talks to the program's windows through the driver. The
Wine prefix is the build's own; helpers here find the program's files in it.

The test environment comes from ctest (see tests/e2e/CMakeLists.txt):
LANZOU_PROGRAM, LANZOU_DRIVER, LANZOU_PREFIX, LANZOU_WINE_RUN, LANZOU_ARTIFACTS.
"""

import glob
import os
import select
import subprocess
import time

MAIN_WINDOW_CLASS = "LanzouSendToWindow"
MAIN_WINDOW_CAPTION = "Pellary    --  Tolvan"
FIRST_CONTROL_ID = 1001  # 编辑框1; the controls follow in the window description's order

# Deadlines, in milliseconds, for things that take a moment under Wine.
START_DEADLINE_MS = 30000
STEP_DEADLINE_MS = 10000


class DriverError(Exception):
    pass


def _escape(field):
    return (field.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r")
            .replace("\n", "\\n"))


def _unescape(field):
    out = []
    i = 0
    while i < len(field):
        c = field[i]
        if c == "\\" and i + 1 < len(field):
            i += 1
            out.append({"t": "\t", "r": "\r", "n": "\n"}.get(field[i], field[i]))
        else:
            out.append(c)
        i += 1
    return "".join(out)


def env(name):
    value = os.environ.get(name)
    if not value:
        raise RuntimeError(f"{name} is not set: run this test through ctest")
    return value


def windows_path(unix_path):
    """The path as Wine's Z: drive shows it."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


class Driver:
    """One running gui_driver; every call has a deadline."""

    def __init__(self):
        self._process = subprocess.Popen(
            [env("LANZOU_WINE_RUN"), "--prefix", env("LANZOU_PREFIX"), env("LANZOU_DRIVER")],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self._buffer = b""
        self._started = []

    def close(self):
        for pid in list(self._started):
            try:
                self.call("kill", pid)
            except DriverError:
                pass
        try:
            self._process.stdin.write(b"quit\n")
            self._process.stdin.flush()
        except OSError:
            pass
        try:
            self._process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait(timeout=20)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _read_line(self, deadline):
        while b"\n" not in self._buffer:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise DriverError("the driver did not answer in time")
            ready, _, _ = select.select([self._process.stdout], [], [], remaining)
            if ready:
                chunk = os.read(self._process.stdout.fileno(), 65536)
                if not chunk:
                    raise DriverError("the driver ended")
                self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\n", 1)
        return [_unescape(f) for f in line.decode("utf-8").rstrip("\r").split("\t")]

    def call(self, command, *arguments, seconds=60):
        """Runs one command; returns the answer's fields after "ok"."""
        line = "\t".join([command] + [_escape(str(a)) for a in arguments]) + "\n"
        self._process.stdin.write(line.encode("utf-8"))
        self._process.stdin.flush()
        deadline = time.monotonic() + seconds
        answer = self._read_line(deadline)
        if answer[0] != "ok":
            raise DriverError(f"{command} {arguments}: {answer[1:]}")
        if command in ("children", "windows"):
            return [self._read_line(deadline) for _ in range(int(answer[1]))]
        if command == "kill" or command == "wait-exit":
            pid = int(arguments[0])
            if pid in self._started:
                self._started.remove(pid)
        return answer[1:]

    def start(self, command_line, directory=None):
        args = [command_line] + ([directory] if directory else [])
        pid = int(self.call("start", *args)[0])
        self._started.append(pid)
        return pid

    def start_program(self, arguments=""):
        """Starts lanzou-sendto.exe as Explorer would: quoted path, then the arguments."""
        line = '"' + windows_path(env("LANZOU_PROGRAM")) + '"'
        if arguments:
            line += " " + arguments
        pid = self.start(line)
        window = self.call("wait-window", MAIN_WINDOW_CLASS, MAIN_WINDOW_CAPTION,
                           START_DEADLINE_MS, pid)[0]
        # Idle first when the start-up sequence processes events: by then the
        # settings have been loaded into the boxes.
        self.call("wait-idle", pid, START_DEADLINE_MS)
        return pid, window

    def control(self, window, index):
        """The main window's control at 1-based position `index` of its description."""
        return self.call("child", window, FIRST_CONTROL_ID + index - 1)[0]

    def close_program(self, pid, window):
        """Closes the main window and returns the program's exit code."""
        self.call("close", window)
        return int(self.call("wait-exit", pid, START_DEADLINE_MS)[0])


class Prefix:
    """Files of the build's Wine prefix, as the Windows side names them."""

    def __init__(self):
        self.root = env("LANZOU_PREFIX")

    @property
    def windows_directory(self):
        return os.path.join(self.root, "drive_c", "windows")

    def settings_file(self):
        return os.path.join(self.windows_directory, "配置.txt")

    def user_folder(self):
        users = [u for u in glob.glob(os.path.join(self.root, "drive_c", "users", "*"))
                 if os.path.basename(u) not in ("Public", "public")]
        if len(users) != 1:
            raise RuntimeError(f"expected one user in the prefix, found {users}")
        return users[0]

    def send_to_folder(self):
        """The Send To folder (Wine spells it SendTo; Windows paths ignore case)."""
        return os.path.join(self.user_folder(), "AppData", "Roaming", "Microsoft", "Windows",
                            "SendTo")

    def send_to_shortcut(self):
        return os.path.join(self.send_to_folder(), "发送至蓝奏云.lnk")

    def windows_name(self, unix_path):
        """C:\\... for a file under drive_c."""
        relative = os.path.relpath(unix_path, os.path.join(self.root, "drive_c"))
        return "C:\\" + relative.replace("/", "\\")


def artifact_path(name):
    directory = env("LANZOU_ARTIFACTS")
    os.makedirs(directory, exist_ok=True)
    return os.path.join(directory, name)


def screenshot(name):
    """Saves the whole X screen as a PNG test artefact; returns its path."""
    path = artifact_path(name)
    subprocess.run(["import", "-window", "root", path], check=True, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return path
