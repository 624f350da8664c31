#!/usr/bin/env bash
# Sets up the machine, builds Quarver and starts it. Arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"
exec "$root/build/bin/quarver" "$@"
