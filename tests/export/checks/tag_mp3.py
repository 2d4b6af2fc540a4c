# SPDX-License-Identifier: GPL-2.0-or-later

# Gives an MP3 file ID3v2.4 text frames: tag_mp3.py FILE ID TEXT [ID TEXT]...
import sys

from mutagen import id3

path = sys.argv[1]
tag = id3.ID3()
pairs = sys.argv[2:]
for frame_id, text in zip(pairs[0::2], pairs[1::2]):
    if frame_id == "COMM":
        tag.add(id3.COMM(encoding=3, lang="eng", desc="", text=[text]))
    elif frame_id == "WXXX":
        tag.add(id3.WXXX(encoding=3, desc="", url=text))
    else:
        tag.add(getattr(id3, frame_id)(encoding=3, text=[text]))
tag.save(path, v2_version=4)
