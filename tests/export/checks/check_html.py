# SPDX-License-Identifier: GPL-2.0-or-later

# Parses an HTML export and checks that every element is closed in order. Prints "balanced" or the
# first fault, then the number of elements of each kind and the text of the elements whose id or
# class is asked for: check_html.py FILE [NAME]...
import json
import sys
from collections import Counter
from html.parser import HTMLParser

VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source", "track", "wbr"}


class Checker(HTMLParser):
    def __init__(self, wanted):
        super().__init__(convert_charrefs=True)
        self.stack = []
        self.fault = None
        self.counts = Counter()
        self.wanted = wanted
        self.texts = {name: [] for name in wanted}
        self.capture = []

    def handle_starttag(self, tag, attrs):
        self.counts[tag] += 1
        names = set()
        for key, value in attrs:
            if key == "id" and value:
                names.add(value)
            if key == "class" and value:
                names.update(value.split())
        if tag in VOID:
            return
        self.stack.append(tag)
        self.capture.append([n for n in names if n in self.wanted])
        for n in self.capture[-1]:
            self.texts[n].append("")

    def handle_startendtag(self, tag, attrs):
        self.counts[tag] += 1
        if tag not in VOID and self.fault is None:
            self.fault = "self-closed <%s>" % tag

    def handle_endtag(self, tag):
        if tag in VOID:
            return
        if not self.stack or self.stack[-1] != tag:
            if self.fault is None:
                self.fault = "</%s> does not close <%s>" % (tag, self.stack[-1] if self.stack else "")
            return
        self.stack.pop()
        self.capture.pop()

    def handle_data(self, data):
        for names in self.capture:
            for n in names:
                self.texts[n][-1] += data


with open(sys.argv[1], encoding="utf-8", newline="") as f:
    text = f.read()
checker = Checker(set(sys.argv[2:]))
checker.feed(text)
checker.close()
if checker.fault is None and checker.stack:
    checker.fault = "unclosed " + " ".join("<%s>" % t for t in checker.stack)
print(checker.fault or "balanced")
print(json.dumps(dict(checker.counts), sort_keys=True))
print(json.dumps(checker.texts, sort_keys=True, ensure_ascii=False))
