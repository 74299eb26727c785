#!/usr/bin/env bash
# Makes a benchmark's work folder and prints its path: in memory (/dev/shm) when the machine
# has it, so the disk's write-back does not bill one side for the other's output, and in
# FALLBACK otherwise, or when "disk" is asked for (outputs too large for memory).
#
#   work=$(bash bench/work-folder.sh NAME FALLBACK [disk])
set -euo pipefail
name=${1:?usage: work-folder.sh NAME FALLBACK [disk]}
fallback=${2:?usage: work-folder.sh NAME FALLBACK [disk]}
if [ "${3:-}" != disk ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    mktemp -d "/dev/shm/zelvo-$name.XXXXXX"
else
    mkdir -p "$fallback"
    mktemp -d "$fallback/$name.XXXXXX"
fi
