#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (preset "fuzz") and runs each for SECONDS (default 60)
# from its corpus. New inputs go to build/fuzz/corpus-<target>, never into the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/build.sh fuzz
for target in brivel-csv-parser-fuzz brivel-csv-roundtrip-fuzz; do
    work="build/fuzz/corpus-$target"
    mkdir -p "$work"
    echo "== $target, ${seconds} s"
    "build/fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="build/fuzz/$target-" "$work" fuzz/csv/corpus 2>&1 | tail -n 15
done
