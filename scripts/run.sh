#!/usr/bin/env bash
# Sets up, builds and starts the desktop application.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh release --target brivel brivel-cli
exec build/release/src/gui/brivel "$@"
