#!/usr/bin/env bash
# Configures and builds one preset (default: testing) into build/<preset>.
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths inside the checkout reach ccache relative to it, so a second checkout (CI's fresh clone)
# reuses what an earlier one compiled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
preset="${1:-testing}"
shift || true
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)" "$@"
