#!/usr/bin/env bash
# The program's main job: installs what is missing, builds the program and everything else, and
# starts it under Wine.
#
#   tools/run.sh [program arguments...]
# With a display (DISPLAY set) the program runs there until it is closed. Without one it starts
# on a private virtual display with "/noreg" (so no first-start dialog waits for an answer),
# once in English and once in German (the user's language decides), saves a picture of the main
# window as build/talvenor-main-window-en.bmp and build/talvenor-main-window-de.bmp, and closes
# it each time.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"

program=build/windows/app/talvenor.exe
if [[ -n ${DISPLAY:-} ]]; then
  exec tools/test-env.sh wine "$program" "$@"
fi

for language in en de; do
  shot=build/talvenor-main-window-$language.bmp
  locale=C.UTF-8
  [[ $language == de ]] && locale=de_AT.UTF-8
  rm -f "$shot"
  tools/test-env.sh bash -c '
    program=$1 shot=$2 locale=$3
    shift 3
    LANG=$locale wine "$program" /noreg "$@" &
    pid=$!
    status=0
    wine build/windows/tools/window_shot.exe "Talvenor - Vizuve 2.49" "$shot" 60000 || status=$?
    if (( status != 0 )); then
      kill "$pid" 2>/dev/null || true
    fi
    wait "$pid" || true
    exit "$status"
  ' run "$program" "$shot" "$locale" "$@"
done
echo "The program started and closed again; its main window: build/talvenor-main-window-{en,de}.bmp"
