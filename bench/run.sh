#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later

# Vorda's speed benchmarks against TagLib: builds the benchmark programs, generates the test trees
# (about 1.4 GB under BENCH_DIR), runs every benchmark and prints a summary table.
# Slow and machine-dependent: never run by CI. See bench/README.md.
#
# Environment: BUILD_DIR (default <repo>/build-bench), BENCH_DIR (default /tmp/vorda-bench),
# RUNS (rounds per figure, default 5), REGENERATE=1 to rebuild the trees.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build-bench}
WORK=${BENCH_DIR:-/tmp/vorda-bench}
RUNS=${RUNS:-5}
LOGS=$WORK/logs

for tool in cmake lame python3; do
    command -v "$tool" >/dev/null || { echo "run.sh: $tool is needed" >&2; exit 1; }
done

echo "== building in $BUILD"
build_log=$(mktemp)
if ! { cmake -S "$ROOT" -B "$BUILD" -G Ninja -DVORDA_GUI=OFF -DVORDA_TESTS=OFF -DVORDA_BENCH=ON &&
       cmake --build "$BUILD" -j2 --target vorda-cli vorda_bench taglib_bench; } >"$build_log" 2>&1; then
    cat "$build_log" >&2
    rm -f "$build_log"
    echo "run.sh: the build failed" >&2
    exit 1
fi
rm -f "$build_log"
CLI=$BUILD/vorda-cli
VB=$BUILD/vorda_bench
TB=$BUILD/taglib_bench

mkdir -p "$WORK"
rm -rf "$LOGS"
mkdir -p "$LOGS"
cd "$WORK"

# ------------------------------------------------------------------ test data
# One second of a stereo tone, encoded once; every file of the trees reuses its bytes.
if [[ ! -s audio.mp3 || ${REGENERATE:-0} == 1 ]]; then
    echo "== encoding the audio"
    python3 - <<'EOF'
import math, struct, wave
w = wave.open("tone.wav", "wb")
w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
w.writeframes(b"".join(struct.pack("<hh", int(12000 * math.sin(2 * math.pi * 440 * i / 44100)),
                                   int(6000 * math.sin(2 * math.pi * 660 * i / 44100))) for i in range(44100)))
w.close()
EOF
    lame --quiet -b 128 tone.wav audio.mp3
    rm -f tone.wav
fi

make_tree() {  # folder count
    if [[ ! -f $1/.complete || $(cat "$1/.complete") != "$2" || ${REGENERATE:-0} == 1 ]]; then
        echo "== generating $2 files in $WORK/$1"
        rm -rf "$1"
        "$TB" gen audio.mp3 "$1" "$2"
        echo "$2" >"$1/.complete"
    fi
}
make_tree tree10k 10000
make_tree tree50k 50000
if [[ ! -s big-pristine.mp3 || ${REGENERATE:-0} == 1 ]]; then
    echo "== generating a 100 MB file"
    "$TB" big audio.mp3 big-pristine.mp3 100 2>/dev/null
fi

cat >settings.ini <<'EOF'
[General]
bReadTags=True
bAutoReadTags=True
bUseTags=True
[FileTypes]
nofFileTypes=0
sFileType0=mp3
EOF

# Every value of the word key=VALUE in a log, one a line.
values() { grep -oE "(^| )$1=[^ ]*" "$2" | cut -d= -f2; }
# The last / smallest / median / largest of them.
last() { values "$1" "$2" | tail -1; }
smallest() { values "$1" "$2" | sort -g | head -1; }
median() { values "$1" "$2" | sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
largest() { values "$1" "$2" | sort -g | tail -1; }
calc() { awk "BEGIN {printf \"%.${2:-0}f\", $1}"; }

# ------------------------------------------------------------------ 1. scan throughput
echo "== scan: $RUNS interleaved rounds over 10,000 files (after a warm-up round)"
"$CLI" scan --recursive --settings settings.ini tree10k >"$LOGS/scan-output.txt" 2>/dev/null
"$TB" scan tree10k >"$LOGS/scan-taglib-output.txt" 2>/dev/null
for ((r = 0; r < RUNS; r++)); do
    "$VB" time 1 "$LOGS/scan-vorda.err" -- "$CLI" scan --recursive --settings settings.ini tree10k 2>>"$LOGS/scan-vorda.log"
    "$VB" time 1 "$LOGS/scan-taglib.err" -- "$TB" scan tree10k 2>>"$LOGS/scan-taglib.log"
    "$VB" scan settings.ini tree10k 2>>"$LOGS/loop-vorda.log"
done
files=$(wc -l <"$LOGS/scan-output.txt")
v_wall=$(smallest seconds "$LOGS/scan-vorda.log"); t_wall=$(smallest seconds "$LOGS/scan-taglib.log")
v_cpu=$(smallest cpu_seconds "$LOGS/scan-vorda.log"); t_cpu=$(smallest cpu_seconds "$LOGS/scan-taglib.log")
v_med=$(median seconds "$LOGS/scan-vorda.log"); t_med=$(median seconds "$LOGS/scan-taglib.log")
scan_v=$(calc "$files / $v_wall"); scan_t=$(calc "10000 / $t_wall")
scan_vm=$(calc "$files / $v_med"); scan_tm=$(calc "10000 / $t_med")
scan_vc=$(calc "$files / $v_cpu"); scan_tc=$(calc "10000 / $t_cpu")
loop_v=$(largest files_per_second "$LOGS/loop-vorda.log")
loop_t=$(largest files_per_second "$LOGS/scan-taglib.err")
titles=$(last with_title "$LOGS/loop-vorda.log")
# Both tools must have read the same values: title, artist, album, year and track of every file.
agree=$(awk -F'\t' -v root="$WORK/" '
    function rel(p) { return index(p, root) == 1 ? substr(p, length(root) + 1) : p }
    NR == FNR { taglib[rel($1)] = $2 "|" $3 "|" $4 "|" $7 "|" $8; next }
    { path = rel($2 $1)
      if ((path in taglib) && taglib[path] == $6 "|" $4 "|" $5 "|" $8 "|" ($7 + 0)) ++same }
    END { print same + 0 }' "$LOGS/scan-taglib-output.txt" "$LOGS/scan-output.txt")

# ------------------------------------------------------------------ 2. saving a title
echo "== save: $RUNS interleaved rounds over 1,000 files"
rm -rf save-vorda save-taglib
mkdir save-vorda save-taglib
cp -r "tree10k/Artist 0" save-vorda/
cp -r "tree10k/Artist 0" save-taglib/
sync
for ((r = 0; r < RUNS; r++)); do
    title="Benchmark title $((r % 2))"  # same length each round: the tag always has room
    "$VB" save settings.ini save-vorda "$title" 2>>"$LOGS/save-vorda.log"
    "$TB" save save-taglib "$title" 2>>"$LOGS/save-taglib.log"
done
save_v=$(largest files_per_second "$LOGS/save-vorda.log"); save_t=$(largest files_per_second "$LOGS/save-taglib.log")
save_vm=$(median files_per_second "$LOGS/save-vorda.log"); save_tm=$(median files_per_second "$LOGS/save-taglib.log")
save_vc=$(largest files_per_cpu_second "$LOGS/save-vorda.log"); save_tc=$(largest files_per_cpu_second "$LOGS/save-taglib.log")
in_place=$(smallest in_place "$LOGS/save-vorda.log")

# ------------------------------------------------------------------ 3. rebuild of a 100 MB file
echo "== rebuild: $RUNS rounds on a 100 MB file"
"$VB" rebuild settings.ini big.mp3 big-pristine.mp3 "$RUNS" 2>"$LOGS/rebuild-vorda.log"
"$TB" grow big-taglib.mp3 big-pristine.mp3 "$RUNS" 2>"$LOGS/rebuild-taglib.log"
rm -f big.mp3 big-taglib.mp3
rb_v=$(last rebuild_mb_per_second "$LOGS/rebuild-vorda.log")
rb_copy=$(last copy_mb_per_second "$LOGS/rebuild-vorda.log")
rb_flush=$(last copy_fsync_mb_per_second "$LOGS/rebuild-vorda.log")
rb_t=$(last best_mb_per_second "$LOGS/rebuild-taglib.log")

# ------------------------------------------------------------------ 3b. filling tags from names
# 1,000 untagged files get their tags from their names: once as an ID3v1 tag appended in place,
# once as a new ID3v2 tag, which rebuilds every file (made durable in batches).
echo "== fill: $RUNS interleaved rounds over 1,000 untagged files, in place and rebuilt"
printf '[Tags]\nUseID3v1=2\nUseID3v2=3\nUseLyrics3=3\n' >fill-v1.ini
printf '[Tags]\nUseID3v1=3\nUseID3v2=2\nUseLyrics3=3\n' >fill-v2.ini
fill_tree() {
    rm -rf "$1"
    mkdir "$1"
    for ((i = 1000; i < 2000; i++)); do cp audio.mp3 "$1/Artist $i - Title $i.mp3"; done
    sync
}
for ((r = 0; r < RUNS; r++)); do
    fill_tree fill-v1
    "$VB" time 1 "$LOGS/fill-v1.err" -- "$CLI" fix --settings fill-v1.ini --in "<artist> - <title>" fill-v1/*.mp3 \
        2>>"$LOGS/fill-v1.log"
    fill_tree fill-v2
    "$VB" time 1 "$LOGS/fill-v2.err" -- "$CLI" fix --settings fill-v2.ini --in "<artist> - <title>" fill-v2/*.mp3 \
        2>>"$LOGS/fill-v2.log"
done
fill_v1=$(smallest seconds "$LOGS/fill-v1.log"); fill_v2=$(smallest seconds "$LOGS/fill-v2.log")
rm -rf fill-v1 fill-v2

# ------------------------------------------------------------------ 4. memory of a large scan
echo "== memory: scan of 50,000 files"
"$VB" time 1 "$LOGS/scan50k.err" -- "$CLI" scan --recursive --settings settings.ini tree50k 2>"$LOGS/scan50k.log"
rss_kb=$(last max_rss_kb "$LOGS/scan50k.log")
listed50k=$(grep -o "Scanned [0-9]* files" "$LOGS/scan50k.err" | tail -1 | awk '{print $2}')
scan50k=$(last seconds "$LOGS/scan50k.log")

# ------------------------------------------------------------------ summary
verdict() { awk "BEGIN {print ($1) ? \"met\" : \"MISSED\"}"; }
echo
echo "Machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg); best of $RUNS rounds (median in brackets)"
printf '%-44s %14s %14s %9s %-12s\n' "Benchmark" "Vorda" "TagLib/copy" "Ratio" "Target"
printf '%-44s %14s %14s %9s %-12s\n' "Scan 10,000 files, vorda-cli (files/s)" "$scan_v ($scan_vm)" "$scan_t ($scan_tm)" \
    "$(calc "$scan_v / $scan_t" 2)" ">=2: $(verdict "$scan_v >= 2 * $scan_t")"
printf '%-44s %14s %14s %9s\n' "  same, per processor second (files/s)" "$scan_vc" "$scan_tc" "$(calc "$scan_vc / $scan_tc" 2)"
printf '%-44s %14s %14s %9s\n' "  library loop only, in process (files/s)" "$loop_v" "$loop_t" "$(calc "$loop_v / $loop_t" 2)"
printf '%-44s %14s %14s %9s %-12s\n' "Save title, 1,000 files (files/s)" "$save_v ($save_vm)" "$save_t ($save_tm)" \
    "$(calc "$save_v / $save_t" 2)" ">=1: $(verdict "$save_v >= $save_t")"
printf '%-44s %14s %14s %9s\n' "  same, per processor second (files/s)" "$save_vc" "$save_tc" "$(calc "$save_vc / $save_tc" 2)"
printf '%-44s %14s %14s %9s %-12s\n' "Rebuild 100 MB vs plain copy (MB/s)" "$rb_v" "$rb_copy" \
    "$(calc "$rb_v / $rb_copy" 2)" ">=0.8: $(verdict "$rb_v >= 0.8 * $rb_copy")"
printf '%-44s %14s %14s %9s\n' "  vs copy flushed to disk (MB/s)" "$rb_v" "$rb_flush" "$(calc "$rb_v / $rb_flush" 2)"
printf '%-44s %14s %14s %9s\n' "  TagLib growing the same tag (MB/s)" "$rb_v" "$rb_t" "$(calc "$rb_v / $rb_t" 2)"
printf '%-44s %14s %14s %9s %-12s\n' "Fill 1,000 untagged files: rebuilt vs in place (s)" "$fill_v2" "$fill_v1" \
    "$(calc "$fill_v2 / $fill_v1" 2)" "<=3: $(verdict "$fill_v2 <= 3 * $fill_v1")"
printf '%-44s %14s %14s %9s %-12s\n' "Scan 50,000 files: peak memory (MB)" "$(calc "$rss_kb / 1024" 1)" "-" "-" \
    "<100: $(verdict "$rss_kb < 100 * 1024")"
echo
echo "Checks: vorda-cli listed $files of 10,000 files, with the same values as TagLib in $agree;" \
    "titles read in process: $titles; files saved in place: $in_place of 1,000 per round;" \
    "50,000-file scan listed $listed50k in $scan50k s."
echo "Logs: $LOGS"
