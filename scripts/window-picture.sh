#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later

# Takes the picture of the main window shown in the README and the manual (help/window.png):
# makes a folder of 20 MP3 files (encoded with lame, tagged with mutagen, one front cover per
# album), builds the picture tool on the program's own window code and lets it list the folder,
# select one file and show its cover. Rerun it whenever the window changes.
#
# Environment: BUILD_DIR (default <repo>/build), WIDTH and HEIGHT of the window (1280 x 800).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build}
OUT=$ROOT/help/window.png
WIDTH=${WIDTH:-1280}
HEIGHT=${HEIGHT:-800}

PYTHON=/usr/bin/python3  # Debian's, with python3-mutagen
for tool in cmake lame $PYTHON; do
    command -v "$tool" >/dev/null || { echo "window-picture: $tool is needed (scripts/install-deps.sh)" >&2; exit 1; }
done
"$PYTHON" -c "import mutagen" 2>/dev/null || { echo "window-picture: python3-mutagen is needed" >&2; exit 1; }

if [[ ! -f $BUILD/build.ninja && ! -f $BUILD/Makefile ]]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja
fi
cmake --build "$BUILD" --target window_picture

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
MUSIC=$WORK/Music

# Two seconds of a chord, encoded once; every file reuses it.
"$PYTHON" - "$WORK/tone.wav" <<'EOF'
import math, struct, sys, wave
w = wave.open(sys.argv[1], "wb")
w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
frames = bytearray()
for i in range(2 * 44100):
    t = i / 44100
    left = 5000 * math.sin(2 * math.pi * 220 * t) + 3000 * math.sin(2 * math.pi * 277.2 * t)
    right = 5000 * math.sin(2 * math.pi * 329.6 * t) + 3000 * math.sin(2 * math.pi * 220 * t)
    frames += struct.pack("<hh", int(left), int(right))
w.writeframes(bytes(frames))
w.close()
EOF
lame --quiet -b 160 "$WORK/tone.wav" "$WORK/tone.mp3"

# 20 files in three albums, tagged with mutagen; each album gets a drawn front cover.
"$PYTHON" - "$WORK/tone.mp3" "$MUSIC" <<'EOF'
import math, os, shutil, struct, sys, zlib
from mutagen.id3 import ID3, APIC, COMM, TALB, TCON, TIT2, TPE1, TRCK, TYER

def png(width, height, pixel):
    rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))

def cover(hue):
    # A sunset: a sky gradient, a sun, and hills.
    def pixel(x, y):
        sky = y / 200
        r, g, b = [int(c0 + (c1 - c0) * sky) for c0, c1 in zip(hue[0], hue[1])]
        if (x - 125) ** 2 + (y - 105) ** 2 < 38 ** 2:
            r, g, b = 255, 214, 110
        if y > 165 + 20 * math.sin(x / 34):
            r, g, b = 40, 60 + y // 8, 70
        return (r, g, b)
    return png(200, 200, pixel)

albums = [
    ("The Lanterns", "Night Harbour", "2019", "Indie",
     ["Harbour Lights", "Paper Boats", "Low Tide", "Salt and Glass", "Lighthouse Keeper", "Undertow",
      "Northern Pier"], ((32, 40, 96), (240, 120, 80))),
    ("Mira Solvik", "Glass Orchard", "2021", "Folk",
     ["Orchard Song", "Winter Apples", "The Long Field", "Copper Kettle", "Hollow Hill", "Late Frost",
      "Evening Bells"], ((60, 20, 80), (250, 170, 90))),
    ("Kettle Drum Society", "Brass & Thunder", "2017", "Jazz",
     ["Opening Parade", "Smoke Rings", "Blue Corner", "Ninth Avenue", "Last Call",
      "Thunder Suite"], ((10, 60, 70), (230, 200, 120))),
]
source, music = sys.argv[1], sys.argv[2]
for artist, album, year, genre, titles, hue in albums:
    folder = os.path.join(music, artist, album)
    os.makedirs(folder, exist_ok=True)
    art = cover(hue)
    for number, title in enumerate(titles, 1):
        path = os.path.join(folder, "%02d - %s.mp3" % (number, title))
        shutil.copyfile(source, path)
        tag = ID3()
        tag.add(TIT2(encoding=3, text=title))
        tag.add(TPE1(encoding=3, text=artist))
        tag.add(TALB(encoding=3, text=album))
        tag.add(TRCK(encoding=3, text="%d/%d" % (number, len(titles))))
        tag.add(TYER(encoding=3, text=year))
        tag.add(TCON(encoding=3, text=genre))
        tag.add(COMM(encoding=3, lang="eng", desc="", text="Recorded live"))
        tag.add(APIC(encoding=3, mime="image/png", type=3, desc="Front cover", data=art))
        tag.save(path, v2_version=3)
EOF

"$BUILD/window_picture" "$MUSIC" "$OUT" "$WIDTH" "$HEIGHT" 3 ${TAB:-1}
echo "window-picture: $OUT ($(stat -c %s "$OUT") bytes)"
