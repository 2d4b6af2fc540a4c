#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later

"""Puts the licence line at the top of every source file of the project.

C++ files get `// SPDX-License-Identifier: GPL-2.0-or-later` and a blank line as their first
two lines; shell and Python scripts and CMake files get the `#` form, below a `#!` line if they
start with one. Running it again changes nothing.

    scripts/add-spdx.py            add the line where it is missing
    scripts/add-spdx.py --check    change nothing; list the files without it and fail
    scripts/add-spdx.py --self-test
"""

import argparse
import os
import sys
import tempfile

LICENSE_ID = "GPL-2.0-or-later"
TAG = "SPDX-License-Identifier:"

# Folders searched (from the repository root) and single files besides them.
ROOTS = ["src", "tests", "bench", "fuzz", "tools", "scripts", ".ci"]
TOP_FILES = ["CMakeLists.txt"]
# Folders holding data rather than code.
SKIP_DIRS = {"seeds", "data", "__pycache__"}

CXX_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c")
HASH_SUFFIXES = (".sh", ".py", ".cmake")
HASH_NAMES = ("CMakeLists.txt",)
# Scripts without a suffix are recognised by their `#!` line.
SCRIPT_INTERPRETERS = ("sh", "bash", "python3", "python")


def comment_prefix(path):
    """'//' or '#' for a file that carries the line, None for any other file."""
    name = os.path.basename(path)
    if name.endswith(CXX_SUFFIXES):
        return "//"
    if name.endswith(HASH_SUFFIXES) or name in HASH_NAMES:
        return "#"
    if "." not in name:
        try:
            with open(path, "rb") as f:
                first = f.readline(200).decode("utf-8", "replace").strip()
        except OSError:
            return None
        if first.startswith("#!"):
            words = first[2:].split()
            if words and os.path.basename(words[0]) == "env":
                words = [w for w in words[1:] if not w.startswith("-")]
            if words and os.path.basename(words[0]) in SCRIPT_INTERPRETERS:
                return "#"
    return None


def source_files(root):
    found = []
    for top in ROOTS:
        base = os.path.join(root, top)
        for folder, dirs, files in os.walk(base):
            dirs[:] = sorted(d for d in dirs if d not in SKIP_DIRS and not d.startswith("build"))
            for name in sorted(files):
                path = os.path.join(folder, name)
                if comment_prefix(path):
                    found.append(path)
    for name in TOP_FILES:
        path = os.path.join(root, name)
        if os.path.isfile(path):
            found.append(path)
    return found


def split_head(text):
    """(head, rest): head is a leading byte-order mark and `#!` line, kept above the licence."""
    head = ""
    if text.startswith("\ufeff"):
        head, text = "\ufeff", text[1:]
    if text.startswith("#!"):
        end = text.find("\n")
        end = len(text) if end < 0 else end + 1
        head, text = head + text[:end], text[end:]
        if not head.endswith("\n"):
            head += "\n"
    return head, text


def examine(text, prefix):
    """('ok' | 'missing' | 'no-blank' | 'other', new text or None) for one file's text."""
    wanted = f"{prefix} {TAG} {LICENSE_ID}"
    head, rest = split_head(text)
    first, sep, after = rest.partition("\n")
    if first.rstrip() == wanted:
        if after.startswith("\n") or (after == "" and sep):
            return "ok", None
        return "no-blank", head + wanted + "\n\n" + after
    if TAG in first:
        # Another identifier or another comment form: a person decides, not this script.
        return "other", None
    body = rest.lstrip("\n")
    return "missing", head + wanted + "\n\n" + body


def run(root, check, out):
    problems = 0
    changed = 0
    for path in source_files(root):
        with open(path, encoding="utf-8", newline="") as f:
            text = f.read()
        state, new_text = examine(text, comment_prefix(path))
        if state == "ok":
            continue
        shown = os.path.relpath(path, root)
        if state == "other":
            print(f"{shown}: starts with a different licence line; left as it is", file=out)
            problems += 1
        elif check:
            reason = "no licence line" if state == "missing" else "no blank line after the licence line"
            print(f"{shown}: {reason}", file=out)
            problems += 1
        else:
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(new_text)
            changed += 1
    if check:
        if problems:
            print(f"add-spdx: {problems} file(s) without the line "
                  f"'{TAG} {LICENSE_ID}' (scripts/add-spdx.py adds it)", file=out)
    elif changed or problems:
        print(f"add-spdx: {changed} file(s) changed", file=out)
    return 1 if problems else 0


def self_test():
    cases = [
        # (name, text before, text after)
        ("src/a/A.h", "#pragma once\n", "// SPDX-License-Identifier: GPL-2.0-or-later\n\n#pragma once\n"),
        ("src/a/B.cpp", "\n\n#include \"a/A.h\"\n",
         "// SPDX-License-Identifier: GPL-2.0-or-later\n\n#include \"a/A.h\"\n"),
        ("src/a/C.cpp", "// SPDX-License-Identifier: GPL-2.0-or-later\nint x;\n",
         "// SPDX-License-Identifier: GPL-2.0-or-later\n\nint x;\n"),
        ("src/a/Empty.cpp", "", "// SPDX-License-Identifier: GPL-2.0-or-later\n\n"),
        ("scripts/x.sh", "#!/bin/sh\necho hi\n",
         "#!/bin/sh\n# SPDX-License-Identifier: GPL-2.0-or-later\n\necho hi\n"),
        ("scripts/y.py", "#!/usr/bin/env python3\n",
         "#!/usr/bin/env python3\n# SPDX-License-Identifier: GPL-2.0-or-later\n\n"),
        (".ci/run", "#!/usr/bin/env bash\nexit 0\n",
         "#!/usr/bin/env bash\n# SPDX-License-Identifier: GPL-2.0-or-later\n\nexit 0\n"),
        ("src/a/CMakeLists.txt", "add_library(a A.cpp)\n",
         "# SPDX-License-Identifier: GPL-2.0-or-later\n\nadd_library(a A.cpp)\n"),
        # Not sources: left alone.
        ("src/a/notes.txt", "words\n", "words\n"),
        ("fuzz/seeds/id3v2/one.h", "bytes\n", "bytes\n"),
        ("tests/data/README", "#!/not/a/script\n", "#!/not/a/script\n"),
    ]
    failures = []
    with tempfile.TemporaryDirectory() as root:
        def write(name, text):
            path = os.path.join(root, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(text)

        def read(name):
            with open(os.path.join(root, name), encoding="utf-8", newline="") as f:
                return f.read()

        for name, before, _ in cases:
            write(name, before)
        sink = open(os.devnull, "w")
        if run(root, check=True, out=sink) != 1:
            failures.append("--check passed over files without the line")
        if run(root, check=False, out=sink) != 0:
            failures.append("adding the line reported a problem")
        for name, _, after in cases:
            if read(name) != after:
                failures.append(f"{name}: got {read(name)!r}, expected {after!r}")
        if run(root, check=True, out=sink) != 0:
            failures.append("--check failed right after adding the line")
        snapshot = {name: read(name) for name, _, _ in cases}
        run(root, check=False, out=sink)
        if any(read(name) != text for name, text in snapshot.items()):
            failures.append("a second run changed a file")
        # A file under another licence is reported, never rewritten.
        other = "// SPDX-License-Identifier: MIT\nint y;\n"
        write("src/a/Other.cpp", other)
        if run(root, check=False, out=sink) != 1 or read("src/a/Other.cpp") != other:
            failures.append("a file with another licence line was not reported or was changed")
        sink.close()
    for failure in failures:
        print("add-spdx self-test: " + failure)
    print("add-spdx self-test: " + ("FAILED" if failures else "passed"))
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="change nothing; fail listing the files without the line")
    parser.add_argument("--self-test", action="store_true", help="run the script's own tests")
    parser.add_argument("--root", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                        help="repository root (default: the one holding this script)")
    args = parser.parse_args()
    if args.self_test:
        return self_test()
    return run(args.root, args.check, sys.stdout)


if __name__ == "__main__":
    sys.exit(main())
