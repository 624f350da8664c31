#!/usr/bin/env bash
# The platform layer, the engine and the analysis core must never depend on Qt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bad=$(grep -rnE '^\s*#\s*include\s*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/)' platform engine analysis/core tools || true)
if [ -n "$bad" ]; then
    echo "Qt is used where it must not be:"
    echo "$bad"
    exit 1
fi
bad=$(grep -nE 'Qt6::' platform/CMakeLists.txt engine/CMakeLists.txt analysis/CMakeLists.txt tools/CMakeLists.txt || true)
if [ -n "$bad" ]; then
    echo "A Qt-free library links Qt:"
    echo "$bad"
    exit 1
fi
echo "Qt-free check passed."
