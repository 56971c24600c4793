#!/usr/bin/env python3
"""End-to-end tests of the skin in the real program, under Wine and Xvfb.

The program is started as a user would start it; skin_probe (a Windows
program of the tests) finds its window, reads the skin library's attach
record from the program's process and pokes the controls; screenshots of the
X display are taken with ImageMagick's `import` and sampled. The screenshots
stay in LANZOU_SKIN_ARTIFACTS for a person to look at.

Environment (set by tests/skin/CMakeLists.txt): LANZOU_PROGRAM,
LANZOU_SKINLESS_PROGRAM, LANZOU_SKIN_PROBE, LANZOU_SKIN_FILE, LANZOU_WINE_RUN,
LANZOU_PREFIX, LANZOU_SKIN_ARTIFACTS.
"""
import os
import subprocess
import sys
import time
import unittest

DEADLINE = 30.0  # seconds for anything that takes a moment under Wine
BUTTON_IDS = (1007, 1008, 1009)  # 按钮1 关联, 按钮2 取消关联, 按钮3 保存配置
EDIT_ID = 1001


def env(name):
    value = os.environ.get(name)
    if not value:
        raise RuntimeError(f"{name} is not set: run this test through ctest")
    return value


def fnv1a(data):
    value = 2166136261
    for byte in data:
        value = ((value ^ byte) * 16777619) & 0xFFFFFFFF
    return value


def wine(*args, timeout=DEADLINE):
    result = subprocess.run([env("LANZOU_WINE_RUN"), "--prefix", env("LANZOU_PREFIX"), *args],
                            capture_output=True, text=True, timeout=timeout)
    return result.stdout.strip()


def probe(*args):
    answer = wine(env("LANZOU_SKIN_PROBE"), *[str(a) for a in args])
    if not answer.startswith(("ok", "none")):
        raise AssertionError(f"skin_probe {' '.join(map(str, args))}: {answer!r}")
    return answer.split()[1:]


class Screen:
    """One screenshot of the whole X display, kept as a PNG."""

    def __init__(self, name):
        os.makedirs(env("LANZOU_SKIN_ARTIFACTS"), exist_ok=True)
        self.path = os.path.join(env("LANZOU_SKIN_ARTIFACTS"), name + ".png")
        subprocess.run(["import", "-window", "root", self.path], check=True, timeout=DEADLINE)
        size = subprocess.run(["identify", "-format", "%w %h", self.path], check=True,
                              capture_output=True, text=True, timeout=DEADLINE).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = subprocess.run(["convert", self.path, "-depth", "8", "rgb:-"], check=True,
                                  capture_output=True, timeout=DEADLINE).stdout

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at:at + 3])


def wait_for_screen(name, condition):
    """Screenshots until one meets the condition (painting takes a moment)."""
    deadline = time.monotonic() + DEADLINE
    while True:
        screen = Screen(name)
        if condition(screen):
            return screen
        if time.monotonic() > deadline:
            raise AssertionError(f"{name}: the screen never showed what was expected ({screen.path})")
        time.sleep(0.2)


def is_blue(rgb):
    r, g, b = rgb
    return b > r + 60 and b > g + 20


def is_grey(rgb):
    return max(rgb) - min(rgb) < 16


def lighter(a, b):
    return sum(a) > sum(b) + 30


def read_record(pid):
    answer = probe("record", pid)
    if not answer:
        return None
    return {k: int(v) for k, v in (field.split("=") for field in answer)}


class Program:
    def __init__(self, path):
        self.path = path
        self.directory = os.path.dirname(path)
        self.before = set(os.listdir(self.directory))
        self.process = subprocess.Popen(
            [env("LANZOU_WINE_RUN"), "--prefix", env("LANZOU_PREFIX"), path],
            cwd=self.directory, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        fields = probe("wait-window", int(DEADLINE * 1000))
        self.pid = int(fields[0])
        self.x, self.y, self.width, self.height = map(int, fields[1:5])

    def at(self, x, y):
        """A point of the client area on the screen."""
        return self.x + x, self.y + y

    def close(self):
        if self.process.poll() is None:
            probe("close")
            try:
                self.process.wait(timeout=DEADLINE)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        return self.process.returncode


def message_box_round(test, program, name):
    """关联 shows a message box; it is sampled, then dismissed. 取消关联 undoes it."""
    probe("click", BUTTON_IDS[0])
    fields = probe("wait-message", int(DEADLINE * 1000))
    box, bx, by, bw, bh = (int(f) for f in fields[:5])
    screen = wait_for_screen(name, lambda s: not is_grey(s.pixel(bx + 2, by + bh - 3)) or
                             s.pixel(bx + 2, by + bh - 3) != (0, 0, 0))
    probe("dismiss", box)
    probe("click", BUTTON_IDS[1])
    fields = probe("wait-message", int(DEADLINE * 1000))
    probe("dismiss", fields[0])
    return screen, (bx, by, bw, bh)


class ThemedProgramTest(unittest.TestCase):
    def test_start_attaches_once_and_themes_window_and_message_boxes(self):
        skin = open(env("LANZOU_SKIN_FILE"), "rb").read()
        program = Program(env("LANZOU_PROGRAM"))
        try:
            deadline = time.monotonic() + DEADLINE
            record = read_record(program.pid)
            while (record is None or record["calls"] == 0) and time.monotonic() < deadline:
                time.sleep(0.1)
                record = read_record(program.pid)
            self.assertIsNotNone(record, "the skin library never ran in the program")
            self.assertEqual(record["attaches"], 1)
            self.assertEqual(record["calls"], 1)
            self.assertNotEqual(record["skin"], 0)
            self.assertEqual(record["length"], len(skin))
            self.assertEqual(record["hash"], fnv1a(skin), "the bytes handed over are the skin file")
            self.assertEqual(record["password"], 0)
            self.assertEqual((record["hue"], record["saturation"], record["brightness"]), (12, 12, 12))
            self.assertEqual(record["result"], 1)
            self.assertEqual(record["themed"], 10, "the window and its nine controls")

            for offset, text in enumerate(("蓝奏用户", "secret-123", "2718281")):
                probe("set-text", EDIT_ID + offset, text)
            button = program.at(10, 80)          # 按钮1's face, left of its text
            background = program.at(124, 100)    # between 按钮1 and 按钮2
            edit = program.at(12, 20)            # inside 编辑框1, left of its text
            accent = program.at(190, 1)          # the stripe along the top
            screen = wait_for_screen("themed-window", lambda s: is_blue(s.pixel(*button)))
            self.assertTrue(is_blue(screen.pixel(*accent)), screen.pixel(*accent))
            self.assertEqual(screen.pixel(*edit), (255, 255, 255))
            r, g, b = screen.pixel(*background)
            self.assertTrue(b > r and b >= g and min(r, g, b) > 200, (r, g, b))

            probe("hover", BUTTON_IDS[1])
            hover_point = program.at(138, 80)
            normal = screen.pixel(*hover_point)
            hovered = wait_for_screen("themed-hover", lambda s: lighter(s.pixel(*hover_point), normal))
            self.assertTrue(is_blue(hovered.pixel(*hover_point)))

            probe("press", BUTTON_IDS[2], 1)
            press_point = program.at(282, 80)
            pressed = wait_for_screen("themed-pressed",
                                      lambda s: lighter(normal, s.pixel(*press_point)))
            self.assertTrue(is_blue(pressed.pixel(*press_point)))
            probe("press", BUTTON_IDS[2], 0)

            box_screen, (bx, by, bw, bh) = message_box_round(self, program, "themed-message")
            corner = box_screen.pixel(bx + 2, by + bh - 3)
            self.assertFalse(is_grey(corner), f"message box background {corner}")
            self.assertTrue(is_blue(box_screen.pixel(bx + bw // 2, by)), "message box stripe")
            record = read_record(program.pid)
            self.assertEqual(record["calls"], 1, "the export is called once per run")
        finally:
            code = program.close()
        self.assertEqual(code, 0)
        left = set(os.listdir(program.directory)) - program.before
        self.assertFalse([f for f in left if f.lower().endswith((".dll", ".lzskin"))], left)
        carried = []
        for root, _, files in os.walk(env("LANZOU_PREFIX")):
            carried += [f for f in files if "lanzou-skin" in f.lower() or f.lower().endswith(".lzskin")]
        self.assertEqual(carried, [], "nothing of the skin is written into the Wine prefix")


class SkinlessProgramTest(unittest.TestCase):
    def test_failed_library_load_still_gives_working_window(self):
        program = Program(env("LANZOU_SKINLESS_PROGRAM"))
        try:
            button = program.at(10, 80)
            screen = wait_for_screen("unthemed-window", lambda s: is_grey(s.pixel(*button)) and
                                     s.pixel(*button) != (0, 0, 0))
            self.assertTrue(is_grey(screen.pixel(*program.at(124, 100))))
            self.assertIsNone(read_record(program.pid), "nothing of the library ran")
            box_screen, (bx, by, bw, bh) = message_box_round(self, program, "unthemed-message")
            self.assertTrue(is_grey(box_screen.pixel(bx + 2, by + bh - 3)))
        finally:
            code = program.close()
        self.assertEqual(code, 0)


if __name__ == "__main__":
    if not os.environ.get("DISPLAY"):
        tools = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
        os.execv(os.path.join(tools, "with-xvfb"), [os.path.join(tools, "with-xvfb"), sys.executable,
                                                     *sys.argv])
    unittest.main()
