#!/usr/bin/env bash
# The program's main job: installs what is missing, builds the program and everything else, and
# starts it under Wine with the example document (build/example/signals.qld, written by the
# program's own save through tools/make_example_document).
#
#   tools/run.sh [program arguments...]
# With a display (DISPLAY set) the program runs there until it is closed. Without one it starts
# on a private virtual display with "/noreg" (so no first-start dialog waits for an answer),
# once in English and once in German (the user's language decides), saves a picture of the main
# window as build/talvenor-main-window-en.bmp and build/talvenor-main-window-de.bmp, and closes
# it each time. Arguments given replace the example document.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"

program=build/windows/app/talvenor.exe
example=build/example/signals.qld
mkdir -p "$(dirname "$example")"
tools/test-env.sh wine build/windows/tools/make_example_document.exe "$example"
if (( $# == 0 )); then
  set -- "$example"
fi
if [[ -n ${DISPLAY:-} ]]; then
  exec tools/test-env.sh bash -c '
    program=$1
    shift
    arguments=()
    for argument in "$@"; do
      [[ -e $argument ]] && argument=$(winepath -w "$argument")
      arguments+=("$argument")
    done
    exec wine "$program" "${arguments[@]}"
  ' run "$program" "$@"
fi

for language in en de; do
  shot=build/talvenor-main-window-$language.bmp
  locale=C.UTF-8
  [[ $language == de ]] && locale=de_AT.UTF-8
  rm -f "$shot"
  tools/test-env.sh bash -c '
    program=$1 shot=$2 locale=$3
    shift 3
    # Files go to the program as Windows paths ("/" would start a keyword of its own) and before
    # "/noreg", which takes the word after it. The title begins with the first file'"'"'s name, or
    # the product name without one.
    title="Talvenor - Vizuve"
    arguments=()
    for argument in "$@"; do
      if [[ -e $argument ]]; then
        [[ $title == "Talvenor - Vizuve" ]] && title=$(basename "$argument")
        argument=$(winepath -w "$argument")
      fi
      arguments+=("$argument")
    done
    LANG=$locale wine "$program" "${arguments[@]}" /noreg &
    pid=$!
    status=0
    wine build/windows/tools/window_shot.exe "$title*" "$shot" 60000 || status=$?
    if (( status != 0 )); then
      kill "$pid" 2>/dev/null || true
    fi
    wait "$pid" || true
    exit "$status"
  ' run "$program" "$shot" "$locale" "$@"
done
echo "The program started and closed again; its main window: build/talvenor-main-window-{en,de}.bmp"
