#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test: the Windows build under
# Wine, the portable core with the host compiler under the sanitizers. Exits non-zero when
# anything fails.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/install-deps.sh
jobs=$(nproc)

for preset in windows host-asan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

status=0
tools/test-env.sh ctest --preset windows -j "$jobs" || status=1
ctest --preset host-asan -j "$jobs" || status=1
exit $status
