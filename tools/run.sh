#!/usr/bin/env bash
# The program's main job: installs what is missing, builds the program and everything else, and
# starts it under Wine.
#
#   tools/run.sh [program arguments...]
# With a display (DISPLAY set) the program runs there until it is closed. Without one it starts
# on a private virtual display with "/noreg" (so no first-start dialog waits for an answer),
# saves a picture of the main window as build/talvenor-main-window.bmp and closes it.
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

shot=build/talvenor-main-window.bmp
rm -f "$shot"
tools/test-env.sh bash -c '
  program=$1 shot=$2
  shift 2
  wine "$program" /noreg "$@" &
  pid=$!
  status=0
  wine build/windows/tools/window_shot.exe "Untitled - Reader" "$shot" 60000 || status=$?
  if (( status != 0 )); then
    kill "$pid" 2>/dev/null || true
  fi
  wait "$pid" || true
  exit "$status"
' run "$program" "$shot" "$@"
echo "The program started and closed again; its main window: $shot"
