# SPDX-License-Identifier: GPL-2.0-or-later

# Reads a ";"-separated CSV export and prints each record as JSON, one a line.
import csv
import json
import sys

with open(sys.argv[1], newline="", encoding="utf-8") as f:
    for record in csv.reader(f, delimiter=";", strict=True):
        print(json.dumps(record, ensure_ascii=False))
