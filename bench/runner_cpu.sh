#!/usr/bin/env bash
# Processor time the program itself uses while it waits for a tool: one
# conversion of the 30 s test clip (scaled up so it lasts several seconds) run
# through RunCmd, with getrusage of the waiting process before and after.
#
#   bash bench/runner_cpu.sh BUILDDIR [SIZE] [RUNS]
#
# SIZE is the picture size of the conversion (default 1600x1200, about 5 s
# here). Prints one line per run: wall time, the waiting process's own CPU
# time and its share of the wall time, the tool's CPU time, and how many
# progress figures reached the busy dialog.
set -euo pipefail
build=$(cd "${1:?usage: runner_cpu.sh BUILDDIR [SIZE] [RUNS]}" && pwd)
size=${2:-1600x1200}
runs=${3:-3}
here=$(cd "$(dirname "$0")" && pwd)

cmake --build "$build" --target tst_runner ZelvoResFLV ZelvoToolFLV >/dev/null
media="$build/testmedia"
[ -s "$media/clip.mov" ] || bash "$here/../tests/media/make-test-media.sh" "$media" >/dev/null

for _ in $(seq "$runs"); do
    ZELVO_TEST_MEDIA="$media" ZELVO_BIN_DIR="$build/bin" ZELVO_BENCH_CPU="$size" \
        QT_QPA_PLATFORM=offscreen "$build/bin/tst_runner" ownCpuWhileToolRuns 2>&1 |
        sed -n 's/.*runner-cpu //p'
done
