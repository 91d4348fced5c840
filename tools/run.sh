#!/usr/bin/env bash
# The program's main job: installs what is missing and builds the program and everything else.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"
echo "Built into build/windows. The program's window comes with the application shell;"
echo "until then this builds the libraries and their tests."
