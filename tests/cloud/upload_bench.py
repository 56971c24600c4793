"""Upload benchmark: files of 16, 64 and 256 MiB through the real program
(built for the stand-in service) and, for comparison, the same multipart
body through curl to the same server in the same run.

Per size it prints the program's seconds from its start to the message box
(Wine's process start, the login and the start-up sequence's one-second wait
included), curl's seconds for the body alone, their ratio, and the program's
peak resident set (VmHWM of its Wine process) as a multiple of the file size,
also less the peak of a start without a file.

Run it with tools/bench-upload, which builds and sets the environment.
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from gui import Driver, Prefix, env, windows_path  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
STANDIN = os.path.join(HERE, "..", "standin", "standin.py")
D = b"-" * 29 + b"81971010215309"
MIB = 1 << 20
SIZES = [int(s) for s in os.environ.get("BENCH_SIZES_MIB", "16 64 256").split()]


def linux_pids_of(program_name):
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                if program_name.encode() in f.read():
                    pids.append(int(entry))
        except OSError:
            pass
    return pids


def peak_resident_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def program_peak_kib(program):
    name = os.path.basename(program)
    return max([peak_resident_kib(p) for p in linux_pids_of(name)] or [0])


def filled_form(name, modified, size, data_path):
    def field(field_name, value):
        return [D, b'Content-Disposition: form-data; name="%s"' % field_name, b"", value]
    lines = (field(b"task", b"1") + field(b"folder_id", b"1") + field(b"id", b"WU_FILE_0") +
             field(b"name", name) + field(b"type", b"application/octet-stream") +
             field(b"lastModifiedDate", modified) + field(b"size", size) +
             [D, b'Content-Disposition: form-data; name="upload_file"; filename="' + name + b'"',
              b"Content-Type: application/octet-stream", b"", b""])
    head = b"\r\n".join(lines)
    with open(data_path, "rb") as f:
        data = f.read()
    return head + data + b"\r\n" + D


def main():
    state = env("STANDIN_STATE")
    port = env("STANDIN_PORT")
    program = env("LANZOU_PROGRAM")
    work = env("LANZOU_ARTIFACTS")
    os.makedirs(work, exist_ok=True)
    prefix = Prefix()
    with open(prefix.settings_file(), "wb") as f:
        f.write("[编辑框]\r\n编辑框3=1\r\n编辑框2=bench\r\n编辑框1=bench\r\n".encode("gbk"))
    subprocess.run([sys.executable, STANDIN, "control", "--state", state, "login=ok",
                    "upload=login", "account=bench", "password=bench"], check=True,
                   stdout=subprocess.DEVNULL, timeout=30)

    with Driver() as driver:
        pid, window = driver.start_program()
        baseline = program_peak_kib(program)
        driver.close_program(pid, window)
        print("program without a file: peak resident %.1f MiB" % (baseline / 1024))
        print("%8s %10s %10s %7s %10s %12s %16s" % (
            "MiB", "program s", "curl s", "ratio", "peak MiB", "peak / size",
            "(peak - start) / size"))
        for size in SIZES:
            path = os.path.join(work, "bench-%d.bin" % size)
            if not os.path.exists(path) or os.path.getsize(path) != size * MIB:
                with open(path, "wb") as f:
                    for _ in range(size):
                        f.write(os.urandom(MIB))
            started = time.monotonic()
            pid, window = driver.start_program('"%s"' % windows_path(path))
            box, _title, text = driver.call("wait-message", 600000, pid, seconds=700)[:3]
            program_seconds = time.monotonic() - started
            peak = program_peak_kib(program)
            driver.call("dismiss", box, 10000)
            driver.close_program(pid, window)

            body_path = os.path.join(work, "bench-body.bin")
            modified = time.strftime("%Y-%m-%d %H:%M:%S",
                                     time.localtime(os.path.getmtime(path))).encode()
            with open(body_path, "wb") as f:
                f.write(filled_form(os.path.basename(path).encode(), modified,
                                    str((size * MIB + 1023) // 1024).encode(), path))
            curl = subprocess.run(
                ["curl", "-sk", "-o", "/dev/null", "-w", "%{time_total}", "--max-time", "600",
                 "-H", "Content-Type: multipart/form-data; boundary=" + D[2:].decode(),
                 "--data-binary", "@" + body_path, "https://127.0.0.1:%s/fileup.php" % port],
                capture_output=True, text=True, timeout=700)
            os.remove(body_path)
            curl_seconds = float(curl.stdout or "nan")
            print("%8d %10.2f %10.2f %7.1f %10.1f %12.2f %16.2f   %s" % (
                size, program_seconds, curl_seconds, program_seconds / curl_seconds,
                peak / 1024, peak / 1024 / size, (peak - baseline) / 1024 / size, text))
    return 0


if __name__ == "__main__":
    sys.exit(main())
