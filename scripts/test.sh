#!/usr/bin/env bash
# What CI runs: set-up, formatting, the whole suite (testing preset), the whole suite again under
# the address and undefined-behaviour sanitizers (asan preset: no GUI, no benchmarks), and each
# libFuzzer target for a minute. Each step prints its time.
set -euo pipefail
cd "$(dirname "$0")/.."
step() {
    local name="$1"
    shift
    local start=$SECONDS
    echo "==== $name"
    "$@"
    echo "==== $name: $((SECONDS - start)) s"
}
export QT_QPA_PLATFORM=offscreen
step "set-up" scripts/setup.sh
step "format" scripts/check-format.sh
step "build (testing)" scripts/build.sh testing
step "tests (testing)" ctest --preset testing --timeout 600
step "build (asan)" scripts/build.sh asan
step "tests (asan)" ctest --preset asan --timeout 900
step "fuzz" scripts/fuzz.sh 60
