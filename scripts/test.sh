#!/usr/bin/env bash
# Sets up the machine, builds Quarver and runs every test. Usage: scripts/test.sh [BUILD_DIR [cmake args]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
shift || true
"$root/scripts/setup.sh"
"$root/scripts/check-qt-free.sh"
"$root/scripts/build.sh" "$dir" "$@"
export QT_QPA_PLATFORM=offscreen
# Tests that start programs must not find a user's own settings.
export XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
