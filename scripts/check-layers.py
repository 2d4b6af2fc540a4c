#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later

"""Checks that every #include of src/ points down the layer order.

Fails, listing file:line, when a file includes from a folder its own folder may not use, or when
code outside the Qt folders includes a Qt header.

    scripts/check-layers.py [--root DIR]
    scripts/check-layers.py --self-test
"""

import argparse
import os
import re
import sys
import tempfile

# ------------------------------------------------------------------------------------ the rules
# The core folders and their level, lowest first. A core folder may include its own folder and
# every core folder of a lower level; folders of one level (the features) never include each
# other.
CORE_LEVELS = {
    "base": 0,
    "tags": 1,
    "app": 2,
    "naming": 3,
    "editing": 4,
    "freedb": 4,
    "export": 4,
    "find": 4,
    "player": 4,
}

# What each kind of folder may include besides itself, and whether it may include Qt headers.
#   "lower"     the core folders below the includer's level
#   "lower/qt"  the qt/ folders of the core folders below the includer's level
#   "own"       for <feature>/qt: the feature's own core folder
#   "core"      every core folder;  "qt": every <feature>/qt folder
#   any other word names one folder ("base", "platform", "naming/qt", ...)
# A folder listed by name here takes that entry; other folders are "core" (a key of CORE_LEVELS)
# or "qt" (<core folder>/qt). Any other folder under src/ is reported, so that a new folder
# gets its place in this table.
KINDS = {
    "core": (["lower"], False),
    "qt": (["own", "lower", "lower/qt", "platform"], True),
    # The main window and main(): the top, it brings every panel and dialog together.
    "app/qt": (["core", "qt", "platform"], True),
    "platform": (["base"], True),
    # The command line: the core, and the media player remote (Qt Core and DBus, no widgets).
    "cli": (["core", "player/qt"], False),
}

# -------------------------------------------------------------------------------- the checker
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^(Q[A-Za-z]|q[a-z0-9_]*\.h$)")  # <QString>, <QtCore/...>, <qglobal.h>
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c")


def unit_of(rel):
    """The folder a path relative to src/ belongs to: 'tags', 'naming/qt', 'cli', ... or None."""
    parts = rel.replace(os.sep, "/").split("/")
    if len(parts) < 2:
        return None
    if len(parts) >= 3 and parts[1] == "qt":
        return parts[0] + "/qt"
    return parts[0]


def kind_of(unit):
    if unit in KINDS:
        return unit
    if unit in CORE_LEVELS:
        return "core"
    if unit.endswith("/qt") and unit[:-3] in CORE_LEVELS:
        return "qt"
    return None


def known_units():
    units = set(KINDS) - {"core", "qt"}
    units |= set(CORE_LEVELS)
    units |= {name + "/qt" for name in CORE_LEVELS}
    return units


def allowed_units(unit):
    """Every folder that `unit` may include, itself among them."""
    words, _ = KINDS[kind_of(unit)]
    level = CORE_LEVELS.get(unit.split("/")[0])
    allowed = {unit}
    for word in words:
        if word == "lower":
            allowed |= {c for c, lv in CORE_LEVELS.items() if level is not None and lv < level}
        elif word == "lower/qt":
            allowed |= {c + "/qt" for c, lv in CORE_LEVELS.items()
                        if level is not None and lv < level and kind_of(c + "/qt") == "qt"}
        elif word == "own":
            allowed.add(unit.split("/")[0])
        elif word == "core":
            allowed |= set(CORE_LEVELS)
        elif word == "qt":
            allowed |= {c + "/qt" for c in CORE_LEVELS if kind_of(c + "/qt") == "qt"}
        else:
            allowed.add(word)
    return allowed


def strip_block_comments(lines):
    """The lines with /* ... */ comments blanked, so a commented-out include is not read."""
    inside = False
    for line in lines:
        out = []
        i = 0
        while i < len(line):
            if inside:
                end = line.find("*/", i)
                if end < 0:
                    i = len(line)
                else:
                    inside = False
                    i = end + 2
            else:
                start = line.find("/*", i)
                if start < 0:
                    out.append(line[i:])
                    i = len(line)
                else:
                    out.append(line[i:start])
                    inside = True
                    i = start + 2
        yield "".join(out)


def target_unit(src, includer_dir, bracket, name):
    """(folder of the included file or None when it is not one of ours, the path shown)."""
    if bracket == '"':
        beside = os.path.normpath(os.path.join(includer_dir, name))
        if os.path.isfile(beside):
            rel = os.path.relpath(beside, src)
            if rel.startswith(".."):
                return "outside src/", rel
            return unit_of(rel), rel
    rel = os.path.normpath(name)
    if rel.startswith(".."):
        return None, rel
    unit = unit_of(rel)
    if unit is None or kind_of(unit) is None:
        return None, rel
    if bracket == "<" and not os.path.isfile(os.path.join(src, rel)):
        return None, rel
    return unit, rel


def check_tree(root):
    """The list of problems, each 'path:line: text', for the tree under root/src."""
    src = os.path.join(root, "src")
    problems = []
    units = known_units()
    for folder, dirs, files in os.walk(src):
        dirs.sort()
        for file_name in sorted(files):
            if not file_name.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.join(folder, file_name)
            rel_file = os.path.relpath(path, src)
            shown = os.path.relpath(path, root)
            unit = unit_of(rel_file)
            if unit not in units:
                problems.append(f"{shown}:1: folder '{unit or '.'}' has no place in the layer table "
                                f"of scripts/check-layers.py")
                continue
            allowed = allowed_units(unit)
            qt_allowed = KINDS[kind_of(unit)][1]
            with open(path, encoding="utf-8", errors="replace") as f:
                lines = f.read().split("\n")
            for number, line in enumerate(strip_block_comments(lines), start=1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                bracket, name = match.group(1), match.group(2).strip()
                if bracket == "<" and QT_HEADER.match(name):
                    if not qt_allowed:
                        problems.append(f"{shown}:{number}: {unit} includes the Qt header <{name}>; "
                                        f"only qt/ folders and platform/ may")
                    continue
                target, rel = target_unit(src, folder, bracket, name)
                if target is None or target in allowed:
                    continue
                problems.append(f"{shown}:{number}: {unit} includes {target} ({rel}); "
                                f"{unit} may include {', '.join(sorted(allowed - {unit})) or 'nothing else'}")
    return problems


# ------------------------------------------------------------------------------------ self-test
SELF_TEST_FILES = {
    # Allowed: down the levels, own folder, beside the includer, a feature's Qt code.
    "src/base/Text.h": '#pragma once\n#include <string>\n',
    "src/base/Text.cpp": '#include "base/Text.h"\n#include "Text.h"\n',
    "src/tags/AudioFile.h": '#pragma once\n#include "base/Text.h"\n',
    "src/app/Settings.h": '#pragma once\n#include "tags/AudioFile.h"\n#include <queue>\n',
    "src/naming/SortPlanner.h": '#pragma once\n#include "app/Settings.h"\n',
    "src/editing/SaveTags.h": '#pragma once\n#include "naming/SortPlanner.h"\n',
    "src/naming/qt/PatternsDialog.h": '#pragma once\n#include <QDialog>\n#include "naming/SortPlanner.h"\n'
                                      '#include "platform/Services.h"\n',
    "src/editing/qt/TagArea.h": '#pragma once\n#include <QtWidgets/QWidget>\n#include "editing/SaveTags.h"\n'
                                '#include "naming/qt/PatternsDialog.h"\n',
    "src/app/qt/MainWindow.h": '#pragma once\n#include "editing/qt/TagArea.h"\n#include "freedb/qt/Lookup.h"\n',
    "src/freedb/qt/Lookup.h": '#pragma once\n#include <QTcpSocket>\n',
    "src/platform/Services.h": '#pragma once\n#include <QString>\n#include "base/Text.h"\n',
    "src/cli/Main.cpp": '#include "editing/SaveTags.h"\n#include "freedb/Client.h"\n'
                        '/* #include "app/qt/MainWindow.h" */\n// #include <QString>\n',
    "src/freedb/Client.h": '#pragma once\n#include "app/Settings.h"\n',
    "src/cli/Player.cpp": '#include "player/qt/Remote.h"\n',
    "src/player/qt/Remote.h": '#pragma once\n#include <QDBusConnection>\n',
    # Not allowed: each line marked BAD is one expected problem.
    "src/base/Bad.cpp": '#include "tags/AudioFile.h"  // BAD up a level\n',
    "src/tags/Bad.cpp": '#include <QString>  // BAD Qt in the core\n#include "app/Settings.h"  // BAD\n',
    "src/editing/Bad.cpp": '#include "freedb/Client.h"  // BAD beside, not below\n'
                           '#include "editing/qt/TagArea.h"  // BAD core uses its Qt code\n',
    "src/freedb/Bad.cpp": '#include "editing/SaveTags.h"  // BAD\n#include "platform/Services.h"  // BAD\n',
    "src/naming/qt/Bad.cpp": '#include "editing/SaveTags.h"  // BAD a higher core\n'
                             '#include "app/qt/MainWindow.h"  // BAD the main window is the top\n'
                             '#include "editing/qt/TagArea.h"  // BAD\n',
    "src/platform/Bad.cpp": '#include "tags/AudioFile.h"  // BAD platform sits on base only\n',
    "src/cli/Bad.cpp": '#include "naming/qt/PatternsDialog.h"  // BAD\n#include "platform/Services.h"  // BAD\n'
                       '#include <QCoreApplication>  // BAD\n#include "freedb/qt/Lookup.h"  // BAD\n',
    "src/app/Bad.cpp": '#include "../naming/SortPlanner.h"  // BAD a relative path up a level\n'
                       '#include <qglobal.h>  // BAD\n',
    "src/gadgets/Thing.cpp": '// BAD a folder the table does not know\n',
}


def self_test():
    failures = []
    with tempfile.TemporaryDirectory() as root:
        expected = set()
        for name, text in SELF_TEST_FILES.items():
            path = os.path.join(root, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            for number, line in enumerate(text.split("\n"), start=1):
                if "BAD" in line:
                    expected.add(f"{name}:{number}")
        problems = check_tree(root)
        found = {p.split(": ", 1)[0] for p in problems}
        for place in sorted(expected - found):
            failures.append(f"not reported: {place}")
        for problem in problems:
            if problem.split(": ", 1)[0] not in expected:
                failures.append(f"reported wrongly: {problem}")
        if len(problems) != len(found):
            failures.append("a line was reported twice")
    for failure in failures:
        print("check-layers self-test: " + failure)
    print("check-layers self-test: " + ("FAILED" if failures else "passed"))
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--self-test", action="store_true", help="run the script's own tests")
    parser.add_argument("--root", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                        help="repository root (default: the one holding this script)")
    args = parser.parse_args()
    if args.self_test:
        return self_test()
    problems = check_tree(args.root)
    for problem in problems:
        print(problem)
    if problems:
        print(f"check-layers: {len(problems)} include(s) against the layer order")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
