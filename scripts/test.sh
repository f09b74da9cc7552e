#!/usr/bin/env bash
# Sets up, builds everything and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh testing
export QT_QPA_PLATFORM=offscreen
ctest --preset testing --timeout 600
