#!/usr/bin/env bash
# A batch repair of 20 realistic FLVs against the same 20 repairs run one after another
# through the tool commands, and the program's own CPU while the batch runs.
#
#   bash bench/batch/run.sh BUILDDIR [RUNS] [SECONDS]   default RUNS: 3, SECONDS: 60
#
# The FLVs are made once into BUILDDIR/bench-data/batch (never committed): SECONDS of
# 1280x720 H.264 at 4 Mbit/s with AAC sound, as a recorder writes them, every other one with
# the repeated and backward timestamps of a live recording. The work goes to /dev/shm for
# the 60 s recordings, to the disk (BUILDDIR/bench-data) for longer ones. Prints a Markdown
# table.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run.sh BUILDDIR [RUNS]}" && pwd)
runs=${2:-3}
seconds=${3:-60}
[ -x "$build/bin/ZelvoResFLV" ] && [ -x "$build/bin/ZelvoToolFLV" ] ||
    { echo "build the program first (cmake --build $build)" >&2; exit 1; }
cmake -S "$here" -B "$build/bench-batch" -DCMAKE_BUILD_TYPE=Release -DZELVO_BUILD_DIR="$build" \
    >/dev/null
cmake --build "$build/bench-batch" -j2 >/dev/null

rec=$(bash "$here/../make-realistic.sh" "$build/bench-data/batch" "$seconds" 4 50)
work=$(bash "$here/../work-folder.sh" batch-bench "$build/bench-data" \
    "$([ "$seconds" -le 60 ] || echo disk)")
trap 'rm -rf "$work"' EXIT
echo "ffmpeg $(ffmpeg -version | head -1 | cut -d' ' -f3), $(nproc) cores, $(date -u +%Y-%m-%d)"
echo
"$build/bench-batch/batch_bench" "$build/bin" "$rec" "$work" "$runs"
