#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later

# Checks the form of the code without changing it:
#   format  every .h/.cpp of src, tests, bench, fuzz and tools is as clang-format-14 leaves it
#   naming  clang-tidy-14's identifier naming (.clang-tidy) finds nothing in src/; needs a build
#           folder configured with CMake (its compile_commands.json)
#   layers  every include of src/ points down the layer order (scripts/check-layers.py)
#   spdx    every source file starts with its licence line (scripts/add-spdx.py --check)
# Usage: scripts/check-style.sh BUILD_DIR [format|naming|layers|spdx]...   (default: all four)
# Every step runs; the script fails if any of them did. VORDA_TIDY_JOBS sets clang-tidy's jobs.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ $# -lt 1 ]; then
  echo "usage: $0 BUILD_DIR [format|naming|layers|spdx]..." >&2
  exit 2
fi
build=$(cd "$1" 2>/dev/null && pwd) || { echo "check-style: no folder $1" >&2; exit 2; }
shift
steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=(format naming layers spdx)

source_files() {
  local dirs=() d
  for d in src tests bench fuzz tools; do [ -d "$d" ] && dirs+=("$d"); done
  find "${dirs[@]}" -path fuzz/seeds -prune -o -type f \( -name '*.h' -o -name '*.cpp' \) -print |
    LC_ALL=C sort
}

check_format() {
  local out
  out=$(source_files | xargs -r clang-format-14 --dry-run -Werror 2>&1)
  if [ -n "$out" ]; then
    # One line per file with the number of places clang-format would change.
    grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$out" | cut -d: -f1 | uniq -c |
      awk '{printf "%s: %d place(s) not formatted\n", $2, $1}'
    echo "format: run clang-format-14 -i on the files above"
    return 1
  fi
}

check_naming() {
  if [ ! -f "$build/compile_commands.json" ]; then
    echo "naming: $build has no compile_commands.json (configure it with CMake first)"
    return 1
  fi
  local log
  log=$(mktemp)
  # Only the translation units of src/, and only what src/ declares in its headers.
  run-clang-tidy-14 -quiet -p "$build" -j "${VORDA_TIDY_JOBS:-$(nproc)}" \
    -header-filter="^$root/src/" "^$root/src/" >"$log" 2>&1
  local status=$?
  # A header's finding comes once per translation unit that includes it: list each place once.
  python3 - "$log" "$root" <<'EOF'
import re, sys
log, root = sys.argv[1], sys.argv[2] + "/"
place = re.compile(r"^(/[^:]+):(\d+):(\d+): (warning|error): (.*?)(?: \[([\w.,-]+)\])?$")
seen, names = {}, set()
colour = re.compile(r"\x1b\[[0-9;]*m")
with open(log, encoding="utf-8", errors="replace") as f:
    lines = [colour.sub("", line.rstrip("\n")) for line in f]
for i, line in enumerate(lines):
    m = place.match(line)
    if not m:
        continue
    path, row, col, level, text, check = m.groups()
    key = (path, int(row), int(col), text)
    if key in seen:
        continue
    # Below a finding: the source line, the caret line, then the suggested name if there is one.
    fix = ""
    if i + 3 < len(lines) and lines[i + 2].strip().startswith("^") and re.fullmatch(r"\s*\w+", lines[i + 3]):
        fix = " -> " + lines[i + 3].strip()
    seen[key] = f"{path.replace(root, '', 1)}:{row}:{col}: {level}: {text}{fix}" + (f" [{check}]" if check else "")
    named = re.search(r"invalid case style for (.+) '([^']+)'", text)
    if named:
        names.add(named.group(2))
for key in sorted(seen):
    print(seen[key])
if seen:
    print(f"naming: {len(seen)} finding(s), {len(names)} distinct identifier(s)")
sys.exit(1 if seen else 0)
EOF
  local found=$?
  if [ $status -ne 0 ] && [ $found -eq 0 ]; then
    # clang-tidy failed without a finding in src/ (a file that does not compile, a lost tool).
    tail -n 20 "$log"
    found=1
  fi
  rm -f "$log"
  return $found
}

check_layers() {
  python3 scripts/check-layers.py --self-test >/dev/null || { python3 scripts/check-layers.py --self-test; return 1; }
  python3 scripts/check-layers.py
}

check_spdx() {
  python3 scripts/add-spdx.py --self-test >/dev/null || { python3 scripts/add-spdx.py --self-test; return 1; }
  python3 scripts/add-spdx.py --check
}

failed=()
for step in "${steps[@]}"; do
  case "$step" in
    format | naming | layers | spdx) ;;
    *) echo "check-style: unknown step $step" >&2; exit 2 ;;
  esac
  echo "== $step"
  if ! "check_$step"; then
    failed+=("$step")
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "check-style: FAILED: ${failed[*]}"
  exit 1
fi
echo "check-style: all passed"
