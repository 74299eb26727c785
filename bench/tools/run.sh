#!/usr/bin/env bash
# The split, join and snapshot tabs' jobs against plain ffmpeg on the realistic 8 Mbit/s
# H.264 FLV of bench/flv (made once into BUILDDIR/bench-data).
#
#   bash bench/tools/run.sh BUILDDIR [RUNS]          default RUNS: 3
#
# Prints Markdown tables (the figures in bench/README.md).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run.sh BUILDDIR [RUNS]}" && pwd)
runs=${2:-3}
[ -x "$build/bin/ZelvoResFLV" ] && [ -x "$build/bin/ZelvoToolFLV" ] ||
    { echo "build the program first (cmake --build $build)" >&2; exit 1; }
cmake -S "$here" -B "$build/bench-tools" -DCMAKE_BUILD_TYPE=Release -DZELVO_BUILD_DIR="$build" \
    >/dev/null
cmake --build "$build/bench-tools" -j2 >/dev/null

src=$(bash "$(dirname "$0")/../make-realistic.sh" "$build/bench-data")
work=$(bash "$(dirname "$0")/../work-folder.sh" tools-bench "$build/bench-data")
trap 'rm -rf "$work"' EXIT
echo "ffmpeg $(ffmpeg -version | head -1 | cut -d' ' -f3), $(nproc) cores, $(date -u +%Y-%m-%d)"
echo
cat "$src" >/dev/null
"$build/bench-tools/tools_bench" "$build/bin" "$src" "$work" "$runs"
