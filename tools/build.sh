#!/usr/bin/env bash
# Configures and builds one preset quietly: the full output goes to build/<preset>-build.log;
# on failure its errors are shown, on success one line (and the number of compiler warnings,
# if any). Uses JOBS parallel jobs (default: all processors).
#
#   JOBS=<n> tools/build.sh <preset> [build arguments...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

preset=$1
shift
jobs=${JOBS:-$(nproc)}
[[ $jobs =~ ^[1-9][0-9]*$ ]] || { echo "build: JOBS must be a positive number" >&2; exit 2; }
mkdir -p build
log=build/$preset-build.log
echo "Building $preset ($jobs jobs, output in $log)..."
if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j "$jobs" "$@"; } >"$log" 2>&1; then
  { grep -E -A8 'error:|FAILED:|CMake Error' "$log" || tail -n 40 "$log"; } | head -n 100 >&2 || true
  echo "build: the $preset build failed, see $log" >&2
  exit 1
fi
warnings=$(grep -c 'warning:' "$log" || true)
if (( warnings > 0 )); then echo "  $warnings compiler warnings, see $log"; fi
