#!/usr/bin/env bash
# The playlist window's operations on generated lists of 1,000, 10,000 and 100,000 entries
# (add a list file, sort, reverse, shuffle, switch layout, save, scroll through with a
# repaint a page), its memory with the 100,000 list, and plain tools reading, sorting and
# copying the same list files for comparison; the two windows with a List.ini of a
# million entries; a 1 MB .asx of many "&" read against cat. Prints Markdown tables (the figures in
# README.md).
#
#   bash bench/playlist/run.sh [BUILD_FOLDER] [RUNS]      default: build, 5
#
# Runs on its own X server (xvfb-run, the xcb platform) unless DISPLAY is set. The harness
# (playlist_bench) is built in BUILD_FOLDER/bench-playlist.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-5}
[ -f "$build/libzelvo_gui.a" ] || { echo "build the program first (cmake --build $build)" >&2; exit 1; }

cmake -S "$here" -B "$build/bench-playlist" -DCMAKE_BUILD_TYPE=Release -DZELVO_BUILD_DIR="$build" \
    >/dev/null
cmake --build "$build/bench-playlist" -j2 >/dev/null
bench="$build/bench-playlist/playlist_bench"

# The lists, the saved copies and the window's settings go to memory when possible.
work=$(bash "$(dirname "$0")/../work-folder.sh" playlist-bench "${TMPDIR:-/tmp}")
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run" "$work/tmp" "$work/config"
export XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=xcb

"$bench" generate "$work/lists" >/dev/null

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
# Median wall time in ms of a command over the runs, its output to OUT (the process's start
# included, as a user running it pays it).
timed_ms() {  # OUT COMMAND...
    local out=$1 t0 t1
    shift
    for ((i = 0; i < runs; i++)); do
        t0=${EPOCHREALTIME/[.,]/}
        "$@" >"$out"
        t1=${EPOCHREALTIME/[.,]/}
        echo $(( t1 - t0 ))
    done | median | awk '{ printf "%.2f", $1 / 1e3 }'
}
# The plain tools on the same files, each read once before so all come from the cache.
for n in 1000 10000 100000; do
    f="$work/lists/list-$n.plt"
    cat "$f" >/dev/null
    c=$(timed_ms /dev/null cat "$f")
    w=$(timed_ms /dev/null wc -l "$f")
    s=$(LC_ALL=C timed_ms /dev/null sort -f "$f")
    k=$(timed_ms "$work/copy.plt" cat "$f")
    # What starting any program costs here, the larger part of the small lists' figures.
    z=$(timed_ms /dev/null "$(type -P true)")
    echo "$n $c $w $s $k $z" >>"$work/lists/baseline.txt"
done

# The load average goes with the figures: on a shared machine it moves them most.
echo "Zelvo.FLV playlist window, $(nproc) cores, Qt $(qtpaths6 --qt-version 2>/dev/null || echo 6)," \
    "$(date -u +%Y-%m-%d), load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
"$bench" time "$work/lists" "$runs"
echo
"$bench" memory "$work/lists"

# A List.ini of a million entries: loading, showing, a scroll step, the 檔案 menu, memory.
echo
"$bench" million "$work/lists"
rm -rf "$work/lists/million" "$work/lists/million-empty"

# A 1 MB .asx of a thousand entries of a thousand "&" each, read against cat of the file.
asx_ms=$("$bench" ampersands "$work/lists" "$runs")
cat_ms=$(timed_ms /dev/null cat "$work/lists/ampersands.asx")
echo
echo "| Job, ms (median of $runs) | Zelvo.FLV | \`cat >/dev/null\` | ratio |"
echo "|---|---|---|---|"
echo "| read a 1 MB .asx of 1,000 entries of 1,000 \"&\" | $asx_ms | $cat_ms |" \
    "$(awk -v a="$asx_ms" -v c="$cat_ms" 'BEGIN { printf "%.1f", a / c }') |"

# Start-up to the painted main window on an empty settings folder and on one whose
# List.ini holds 2 × 50,000 entries, alternately; then one "立即儲存設定" with those lists.
mkdir -p "$work/settings-empty"
"$bench" settings "$work/lists" "$work/settings-big" >/dev/null
for ((i = 0; i < runs; i++)); do
    for kind in empty big; do
        rm -f "$work/settings-empty/"*.ini
        ZELVO_SETTINGS_DIR="$work/settings-$kind" "$bench" startup "$work/lists" >>"$work/startup-$kind.txt"
    done
    # The save above rewrote the big lists: put the generated ones back for the next run.
    "$bench" settings "$work/lists" "$work/settings-big" >/dev/null
    rm -f "$work/settings-big/Zelvo.FLV.ini"
done
col() { awk -v c="$1" '{print $c}' "$2" | median; }
echo
echo "| Settings | start-up to the painted main window (ms) | 立即儲存設定 (ms) |"
echo "|---|---|---|"
echo "| empty | $(col 1 "$work/startup-empty.txt") | $(col 2 "$work/startup-empty.txt") |"
echo "| List.ini of 2 × 50,000 entries | $(col 1 "$work/startup-big.txt") | $(col 2 "$work/startup-big.txt") |"
