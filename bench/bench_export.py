#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later

"""Export benchmark: vorda-cli export of 10,000 tagged files to CSV against vorda-cli scan of the
same files, in one run. Both read every file once with its tags; the export also builds the CSV
text and writes it. Rounds alternate after a warm-up round; prints the best and the median wall
time of each, and their ratio.

    bench/bench_export.py VORDA_CLI [FILES] [FOLDER] [ROUNDS]

Defaults: 10000 files, /tmp/vorda-bench-export, 5 rounds. The files are made once (an ID3v2.3 tag
and twenty MPEG-1 layer III frames each) and kept for the next run.
"""

import os
import statistics
import struct
import subprocess
import sys
import time


def frame(frame_id, text):
    data = b"\x00" + text.encode("latin-1")
    return frame_id.encode() + struct.pack(">I", len(data)) + b"\x00\x00" + data


def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def mp3(i):
    frames = b"".join([
        frame("TPE1", "Artist %d" % (i % 97)),
        frame("TALB", "Album %d" % (i % 331)),
        frame("TIT2", "Title number %d; \"quoted\"" % i),
        frame("TRCK", str(i % 20 + 1)),
        frame("TYER", "2004"),
        frame("TCON", "Rock"),
        frame("COMM", "eng\x00a comment"),
    ])
    frames += b"\x00" * 256
    tag = b"ID3\x03\x00\x00" + synchsafe(len(frames)) + frames
    # 128 kbit/s, 44.1 kHz, stereo: 417 bytes a frame.
    audio = (b"\xff\xfb\x90\x00" + b"\x00" * 413) * 20
    return tag + audio


def make_files(folder, count):
    os.makedirs(folder, exist_ok=True)
    names = ["%05d track.mp3" % i for i in range(count)]
    for i, name in enumerate(names):
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            with open(path, "wb") as f:
                f.write(mp3(i))
    return [os.path.join(folder, name) for name in names]


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    cli = os.path.abspath(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    work = sys.argv[3] if len(sys.argv) > 3 else "/tmp/vorda-bench-export"
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    music = os.path.join(work, "music")
    files = make_files(music, count)
    settings = os.path.join(work, "vorda.ini")
    with open(settings, "w") as f:
        f.write("[General]\n")
    out = os.path.join(work, "export.csv")
    scan = [cli, "scan", "--settings", settings, music]
    export = [cli, "export", "--settings", settings, "--type", "csv", "--out", out] + files

    timed(scan)
    timed(export)
    scans, exports = [], []
    for _ in range(rounds):
        scans.append(timed(scan))
        exports.append(timed(export))
    with open(out, encoding="utf-8") as f:
        lines = sum(1 for _ in f)
    print("files: %d, CSV lines: %d, rounds: %d" % (count, lines, rounds))
    print("scan   best %.3f s  median %.3f s" % (min(scans), statistics.median(scans)))
    print("export best %.3f s  median %.3f s" % (min(exports), statistics.median(exports)))
    print("export / scan: best %.2f  median %.2f" %
          (min(exports) / min(scans), statistics.median(exports) / statistics.median(scans)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
