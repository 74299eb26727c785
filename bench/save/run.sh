#!/usr/bin/env bash
# Saving marked ranges of the ~1 GB FLV through the player window against ffmpeg doing
# the same stream copies, measured in one run (medians, alternating order):
#   cut   the middle half through saveRanges(0) against one `ffmpeg -ss -i -t -c copy`,
#         the three tool passes timed on their own, and the program's own CPU meanwhile;
#   split ten equal segments through saveRanges(1) against ten such ffmpeg runs.
#
#   bash bench/save/run.sh BUILDDIR [RUNS]          default RUNS: 5
#
# Needs a built BUILDDIR (its static libraries and bin/). The harness (save_bench) is built
# in BUILDDIR/bench-save; the large source is made once in BUILDDIR/bench-data. Prints
# Markdown tables (the figures in README.md).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run.sh BUILDDIR [RUNS]}" && pwd)
runs=${2:-5}
[ -x "$build/bin/ZelvoResFLV" ] && [ -x "$build/bin/ZelvoToolFLV" ] ||
    { echo "build the program first (cmake --build $build)" >&2; exit 1; }

cmake -S "$here" -B "$build/bench-save" -DCMAKE_BUILD_TYPE=Release -DZELVO_BUILD_DIR="$build" \
    >/dev/null
cmake --build "$build/bench-save" -j2 >/dev/null

large=$(bash "$here/../make-large.sh" "$build/bench-data")

# Outputs, the tools and the window's settings go to memory when possible: the disk's
# write-back would otherwise bill one side for the other's hundreds of MB.
work=$(bash "$(dirname "$0")/../work-folder.sh" save-bench "$build/bench-data")
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"

echo "ffmpeg $(ffmpeg -version | head -1 | cut -d' ' -f3), $(nproc) cores," \
    "source $(( $(stat -c %s "$large") / 1048576 )) MB, $(date -u +%Y-%m-%d)"
echo
# Reads the source once, so neither side pays for the first read from disk.
cat "$large" >/dev/null
# The offscreen platform's notes about raising windows are left out.
XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
    "$build/bench-save/save_bench" "$large" "$work" "$runs" 2>&1 |
    grep -v --line-buffered "^This plugin does not support"
