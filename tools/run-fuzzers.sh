#!/usr/bin/env bash
# Builds the libFuzzer targets (preset `fuzz`, host clang) and runs each for the given number of
# seconds (default 600), seeded from tests/fuzz/seeds/<name>/ and from what the program's writers
# make (build/fuzz/seeds/<name>/), continuing the corpus kept in build/fuzz/corpus/<name>/. Findings are written to build/fuzz/findings/. Not part of CI.
#   tools/run-fuzzers.sh [seconds] [target-name-pattern]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
seconds=${1:-600}
pattern=${2:-}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

build/fuzz/tests/fuzz/make_fuzz_seeds build/fuzz/seeds

status=0
for binary in build/fuzz/tests/fuzz/*_fuzz; do
  [[ -x $binary ]] || continue
  target=$(basename "$binary")
  name=${target%_fuzz}
  [[ -z $pattern || $target == *$pattern* ]] || continue
  corpus=build/fuzz/corpus/$name
  findings=build/fuzz/findings/$name
  mkdir -p "$corpus" "$findings"
  seeds=()
  for folder in tests/fuzz/seeds/$name build/fuzz/seeds/$name; do
    [[ -d $folder ]] && seeds+=("$folder")
  done
  echo "== $target for ${seconds}s"
  # rss_limit and timeout make runaway allocations and slow inputs findings of their own.
  if ! "$binary" "$corpus" "${seeds[@]}" -max_total_time="$seconds" -timeout=1 \
      -rss_limit_mb=2048 -malloc_limit_mb=2048 -artifact_prefix="$findings/" \
      -print_final_stats=1 2>"build/fuzz/$name.log"; then
    echo "$target: finding, see build/fuzz/$name.log and $findings/" >&2
    status=1
  fi
  tail -n 12 "build/fuzz/$name.log" | grep -E '^stat::|Done' || true
done
exit $status
