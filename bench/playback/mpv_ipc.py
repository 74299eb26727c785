#!/usr/bin/env python3
"""Times the mpv command-line player doing the engine's jobs, over its JSON IPC socket.

    mpv_ipc.py open   FILE RUNS   loadfile until the first frame is ready (ms, median)
    mpv_ipc.py seek   FILE RUNS   exact seeks to the frames mci_bench uses (ms, median)
    mpv_ipc.py status FILE RUNS   get_property time-pos round trips while playing (us, median)

Options after RUNS go to mpv as they are (e.g. --hr-seek-demuxer-offset=2).
"""
import json
import os
import socket
import statistics
import subprocess
import sys
import tempfile
import time


class Mpv:
    def __init__(self, extra):
        self.dir = tempfile.mkdtemp(prefix="mpvbench")
        self.path = os.path.join(self.dir, "ipc.sock")
        self.proc = subprocess.Popen(
            ["mpv", "--no-config", "--really-quiet", "--vo=null", "--ao=null", "--idle=yes",
             "--pause", "--keep-open=yes", "--hr-seek=yes", "--input-ipc-server=" + self.path]
            + extra,
            stdin=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not os.path.exists(self.path):
            if time.monotonic() > deadline:
                raise RuntimeError("mpv did not open its socket")
            time.sleep(0.01)
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.settimeout(10)
        self.sock.connect(self.path)
        self.lines = self.sock.makefile("rb")
        self.next_id = 0

    def command(self, *args):
        self.next_id += 1
        request = {"command": list(args), "request_id": self.next_id}
        self.sock.sendall(json.dumps(request).encode() + b"\n")
        while True:
            message = json.loads(self.lines.readline())
            if message.get("request_id") == self.next_id:
                return message.get("data")

    def wait_event(self, name):
        while True:
            message = json.loads(self.lines.readline())
            if message.get("event") == name:
                return

    def close(self):
        try:
            self.command("quit")
        except OSError:
            pass
        self.proc.wait(timeout=10)


def main():
    mode, path, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
    mpv = Mpv(sys.argv[4:])
    times = []
    try:
        if mode == "open":
            for _ in range(runs):
                start = time.perf_counter()
                mpv.command("loadfile", path)
                mpv.wait_event("playback-restart")
                times.append((time.perf_counter() - start) * 1e3)
            print("%.2f" % statistics.median(times))
            return
        mpv.command("loadfile", path)
        mpv.wait_event("playback-restart")
        origin = mpv.command("get_property", "time-pos")
        fps = mpv.command("get_property", "container-fps")
        length = round(mpv.command("get_property", "duration") * fps)
        if mode == "seek":
            missed = 0
            for i in range(runs):
                frame = (i * 373 + 17) % (length - 10)
                start = time.perf_counter()
                mpv.command("seek", "%.6f" % (origin + (frame - 0.25) / fps), "absolute+exact")
                mpv.wait_event("playback-restart")
                times.append((time.perf_counter() - start) * 1e3)
                landed = round((mpv.command("get_property", "time-pos") - origin) * fps)
                missed += landed != frame
            print("%.2f" % statistics.median(times))
            if missed:
                print("mpv: %d of %d seeks landed on another frame" % (missed, runs),
                      file=sys.stderr)
        elif mode == "status":
            mpv.command("set_property", "pause", False)
            for _ in range(runs):
                start = time.perf_counter()
                mpv.command("get_property", "time-pos")
                times.append((time.perf_counter() - start) * 1e6)
            print("%.1f" % statistics.median(times))
    finally:
        mpv.close()


if __name__ == "__main__":
    main()
