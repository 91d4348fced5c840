#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test: the Windows build under
# Wine, the portable core with the host compiler under the sanitizers. Shows each test
# executable as it runs, the output of failing ones (their failing cases only) and a summary;
# exits non-zero when anything fails.
#
#   JOBS=<n> tools/run-tests.sh    (build and test jobs, default: all processors)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/install-deps.sh
jobs=${JOBS:-$(nproc)}
export JOBS=$jobs
for preset in windows host-asan; do
  tools/build.sh "$preset"
done

export GTEST_BRIEF=1
status=0
echo "Testing windows..."
tools/test-env.sh ctest --preset windows -j "$jobs" --output-on-failure || status=1
echo "Testing host-asan..."
ctest --preset host-asan -j "$jobs" --output-on-failure || status=1
if (( status )); then echo "run-tests: some tests failed" >&2; else echo "run-tests: all tests passed"; fi
exit $status
