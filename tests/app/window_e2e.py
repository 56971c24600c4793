"""The real program's window, settings file and Send To entry under Wine.

Each test starts lanzou-sendto.exe through the GUI driver, works its window
as a user would and checks what the program shows and what it leaves on disk
in the build's Wine prefix.
"""

import os
import shutil
import stat
import struct
import unittest

from gui import (Driver, DriverError, Prefix, STEP_DEADLINE_MS, env, screenshot,
                 windows_path)

# The controls in the window description's order: kind's class, client
# rectangle, text.
CONTROLS = [
    ("Edit", (8, 16, 112, 32), ""),
    ("Edit", (128, 16, 128, 32), ""),
    ("Edit", (264, 16, 104, 32), ""),
    ("Static", (8, 48, 120, 24), "登录账号"),
    ("Static", (128, 48, 136, 24), "密码"),
    ("Static", (264, 48, 104, 24), "文件夹ID"),
    ("Button", (0, 72, 120, 32), "关联"),
    ("Button", (128, 72, 136, 32), "取消关联"),
    ("Button", (272, 72, 104, 32), "保存配置"),
]
ACCOUNT, PASSWORD, FOLDER = 1, 2, 3
CREATE_BUTTON, REMOVE_BUTTON, SAVE_BUTTON = 7, 8, 9
ES_PASSWORD = 0x20

# How long a start with nothing to say is watched for a message box: the
# start-up sequence waits one second, so a box would come within this time.
QUIET_START_MS = 3000


def gbk(text):
    return text.encode("gbk")


class ProgramTestCase(unittest.TestCase):
    def setUp(self):
        self.prefix = Prefix()
        self.driver = Driver()
        self.addCleanup(self.driver.close)
        self.remove_settings()

    def remove_settings(self):
        try:
            os.remove(self.prefix.settings_file())
        except FileNotFoundError:
            pass

    def write_settings(self, content):
        with open(self.prefix.settings_file(), "wb") as f:
            f.write(content)

    def read_settings(self):
        with open(self.prefix.settings_file(), "rb") as f:
            return f.read()

    def box_texts(self, window):
        return [self.driver.call("get-text", self.driver.control(window, i))[0]
                for i in (ACCOUNT, PASSWORD, FOLDER)]

    def wait_message(self, pid):
        box, title, text, icon, buttons = self.driver.call("wait-message", STEP_DEADLINE_MS, pid)
        return box, {"title": title, "text": text, "icon": icon == "1",
                     "buttons": buttons.split("|") if buttons else []}

    def close(self, pid, window):
        self.assertEqual(self.driver.close_program(pid, window), 0)
        self.assertEqual(self.driver.call("exists", window)[0], "0")


class WindowTests(ProgramTestCase):
    def test_window_layout_and_quiet_start(self):
        pid, window = self.driver.start_program()
        self.assertEqual(self.driver.call("rect", window), ["50", "50", "381", "139"])

        rows = {int(row[2]): row for row in self.driver.call("children", window)}
        self.assertEqual(sorted(rows), list(range(1001, 1010)))
        for index, (class_name, rect, text) in enumerate(CONTROLS, start=1):
            with self.subTest(control=index):
                row = rows[1000 + index]
                self.assertEqual(row[1], class_name)
                self.assertEqual(tuple(int(v) for v in row[3:7]), rect)
                self.assertEqual(row[9:], ["1", "1", text])
                if class_name == "Edit":
                    self.assertFalse(int(row[7], 16) & ES_PASSWORD, "the box masks its text")

        # Typed text shows unmasked in the password box.
        password = self.driver.control(window, PASSWORD)
        self.driver.call("type", password, "secret")
        self.assertEqual(self.driver.call("get-text", password), ["secret"])

        # Without arguments nothing is uploaded and nothing is shown.
        with self.assertRaises(DriverError):
            self.driver.call("wait-message", QUIET_START_MS, pid)
        self.assertEqual([row[1] for row in self.driver.call("windows", pid)],
                         ["LanzouSendToWindow"])
        screenshot("main-window.png")
        self.close(pid, window)

    def test_closing_during_the_start_up_wait_ends_the_program(self):
        # Idle comes as the one-second wait begins; the close lands inside it.
        pid, window = self.driver.start_program()
        self.close(pid, window)


class SettingsTests(ProgramTestCase):
    def test_saved_texts_come_back_after_a_restart(self):
        texts = ["用户a", 'pa"ss\r\nword', "12345"]
        pid, window = self.driver.start_program()
        self.driver.call("type", self.driver.control(window, ACCOUNT), texts[0])
        self.driver.call("set-text", self.driver.control(window, PASSWORD), texts[1])
        self.driver.call("set-text", self.driver.control(window, FOLDER), texts[2])
        self.driver.call("click-wait", self.driver.control(window, SAVE_BUTTON), STEP_DEADLINE_MS)
        # Saving shows nothing.
        self.assertEqual(len(self.driver.call("windows", pid)), 1)
        self.close(pid, window)

        # One line per box, the boxes in the window's order, the line break
        # and the quote written as their marks.
        self.assertEqual(self.read_settings(),
                         gbk("[编辑框]\r\n编辑框3=12345\r\n编辑框2=pa#引号ss><br><word\r\n"
                             "编辑框1=用户a\r\n"))

        pid, window = self.driver.start_program()
        self.assertEqual(self.box_texts(window), texts)
        self.close(pid, window)

    def test_texts_with_blank_or_quoted_edges_come_back_whole(self):
        texts = ["  两个空格", "'单引号'", "尾部\t"]
        pid, window = self.driver.start_program()
        for box, text in zip((ACCOUNT, PASSWORD, FOLDER), texts):
            self.driver.call("set-text", self.driver.control(window, box), text)
        self.driver.call("click-wait", self.driver.control(window, SAVE_BUTTON), STEP_DEADLINE_MS)
        self.close(pid, window)
        self.assertEqual(self.read_settings(),
                         gbk("[编辑框]\r\n编辑框3=\"尾部\t\"\r\n编辑框2=\"'单引号'\"\r\n"
                             "编辑框1=\"  两个空格\"\r\n"))
        pid, window = self.driver.start_program()
        self.assertEqual(self.box_texts(window), texts)
        self.close(pid, window)

    def test_saving_empty_boxes_writes_empty_values(self):
        pid, window = self.driver.start_program()
        self.driver.call("click-wait", self.driver.control(window, SAVE_BUTTON), STEP_DEADLINE_MS)
        self.close(pid, window)
        self.assertEqual(self.read_settings(),
                         gbk("[编辑框]\r\n编辑框3=\r\n编辑框2=\r\n编辑框1=\r\n"))

    def test_a_later_save_keeps_the_files_order_and_other_lines(self):
        self.write_settings(gbk("[其他]\r\nkey=kept\r\n[编辑框]\r\n编辑框1=old1\r\n"
                                "编辑框2=old2\r\n编辑框3=old3\r\n"))
        pid, window = self.driver.start_program()
        self.assertEqual(self.box_texts(window), ["old1", "old2", "old3"])
        self.driver.call("set-text", self.driver.control(window, ACCOUNT), "new1")
        self.driver.call("click-wait", self.driver.control(window, SAVE_BUTTON), STEP_DEADLINE_MS)
        self.close(pid, window)
        self.assertEqual(self.read_settings(),
                         gbk("[其他]\r\nkey=kept\r\n[编辑框]\r\n编辑框1=new1\r\n"
                             "编辑框2=old2\r\n编辑框3=old3\r\n"))

    def test_files_as_found_fill_the_boxes_as_the_rules_say(self):
        long_value = b"a" * 10240
        cases = [
            ("no file", None, ["", "", ""]),
            ("missing section", gbk("[其他]\r\n编辑框1=x\r\n"), ["", "", ""]),
            ("missing keys", gbk("[编辑框]\r\n编辑框2=only\r\n"), ["", "only", ""]),
            ("empty values", gbk("[编辑框]\r\n编辑框1=\r\n编辑框2=\r\n编辑框3=\r\n"),
             ["", "", ""]),
            ("marks", gbk("[编辑框]\r\n编辑框1=a><br><b\r\n编辑框2=#引号q#引号\r\n"
                          "编辑框3=><br><br><\r\n"), ["a\r\nb", '"q"', "\r\nbr><"]),
            ("10239 bytes", gbk("[编辑框]\r\n编辑框1=") + long_value[:10239] + b"\r\n",
             ["a" * 10239, "", ""]),
            ("10240 bytes", gbk("[编辑框]\r\n编辑框1=") + long_value + b"\r\n",
             ["a" * 10239, "", ""]),
            ("far longer", gbk("[编辑框]\r\n编辑框3=") + b"b" * 100000 + b"\r\n",
             ["", "", "b" * 10239]),
        ]
        for name, content, expected in cases:
            with self.subTest(case=name):
                self.remove_settings()
                if content is not None:
                    self.write_settings(content)
                pid, window = self.driver.start_program()
                self.assertEqual(self.box_texts(window), expected)
                self.close(pid, window)

        # Bytes that are not GBK text: the program starts, fills what it can
        # and keeps working.
        self.write_settings(gbk("[编辑框]\r\n编辑框1=") + b"\x81\x20\xff\xfe\x80" +
                            gbk("\r\n编辑框2=ok\r\n"))
        pid, window = self.driver.start_program()
        self.assertEqual(self.box_texts(window)[1:], ["ok", ""])
        self.driver.call("click-wait", self.driver.control(window, SAVE_BUTTON), STEP_DEADLINE_MS)
        self.close(pid, window)
        self.assertIn(gbk("编辑框2=ok\r\n"), self.read_settings())


class SendToTests(ProgramTestCase):
    def setUp(self):
        super().setUp()
        self.folder = self.prefix.send_to_folder()
        self.shortcut = self.prefix.send_to_shortcut()
        os.makedirs(self.folder, exist_ok=True)
        self.remove_shortcut()
        self.addCleanup(self.remove_shortcut)

    def remove_shortcut(self):
        if os.path.exists(self.shortcut):
            os.chmod(self.shortcut, 0o644)
            os.remove(self.shortcut)

    def click_and_read_message(self, pid, window, button):
        self.driver.call("click", self.driver.control(window, button))
        box, message = self.wait_message(pid)
        # Task-modal: the program's window takes no input while the box is up.
        self.assertEqual(self.driver.call("enabled", window), ["0"])
        self.driver.call("dismiss", box, STEP_DEADLINE_MS)
        self.assertEqual(self.driver.call("enabled", window), ["1"])
        return message

    def assert_notice(self, message, text):
        self.assertEqual(message["text"], text)
        self.assertEqual(message["title"], "提示")
        self.assertTrue(message["icon"])
        self.assertEqual(len(message["buttons"]), 1)

    def test_create_and_remove_report_what_is_on_disk(self):
        pid, window = self.driver.start_program()
        for attempt in ("first", "again, replacing it"):
            with self.subTest(create=attempt):
                self.assert_notice(self.click_and_read_message(pid, window, CREATE_BUTTON),
                                   "成功！")
                self.assertTrue(os.path.isfile(self.shortcut))

        program = windows_path(env("LANZOU_PROGRAM"))
        target, arguments, directory, _ = self.driver.call(
            "read-link", self.prefix.windows_name(self.shortcut))
        self.assertEqual(target.lower(), program.lower())
        self.assertEqual(arguments, "")
        self.assertEqual(directory.lower(), program.rsplit("\\", 1)[0].lower())
        # Wine's shell link object does not read the show command back, so it
        # is checked in the file's header.
        with open(self.shortcut, "rb") as f:
            header = f.read(64)
        self.assertEqual(struct.unpack_from("<I", header, 60)[0], 5)  # SW_SHOW

        for attempt in ("first", "with nothing left to delete"):
            with self.subTest(remove=attempt):
                self.assert_notice(self.click_and_read_message(pid, window, REMOVE_BUTTON),
                                   "删除成功！")
                self.assertFalse(os.path.exists(self.shortcut))
        self.close(pid, window)

    def test_a_shortcut_that_cannot_be_deleted(self):
        pid, window = self.driver.start_program()
        self.assert_notice(self.click_and_read_message(pid, window, CREATE_BUTTON), "成功！")
        os.chmod(self.shortcut, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)  # read-only
        self.assert_notice(self.click_and_read_message(pid, window, REMOVE_BUTTON), "删除失败！")
        self.assertTrue(os.path.isfile(self.shortcut))
        self.close(pid, window)

    def test_a_missing_send_to_folder_is_not_created(self):
        moved = self.folder + ".moved-by-test"
        shutil.rmtree(moved, ignore_errors=True)
        os.rename(self.folder, moved)
        self.addCleanup(os.rename, moved, self.folder)
        pid, window = self.driver.start_program()
        self.assert_notice(self.click_and_read_message(pid, window, CREATE_BUTTON), "失败！")
        self.assertFalse(os.path.exists(self.folder))
        self.close(pid, window)


if __name__ == "__main__":
    unittest.main()
