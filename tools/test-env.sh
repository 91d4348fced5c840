#!/usr/bin/env bash
# Runs a command in the test environment: an Xvfb display when none is set, the project's own
# Wine prefix inside the build folder, one persistent wineserver for the whole run, quiet Wine
# logs and pinned LANG/TZ. Everything it started is ended when the command ends, also on failure.
#
#   tools/test-env.sh <command> [args...]
# WINEPREFIX may be set by the caller; it defaults to build/wineprefix in the source tree.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8 TZ=UTC
unset LC_ALL

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

start_xvfb() {
  local n
  for n in $(seq 90 190); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
      [[ -e /tmp/.X11-unix/X$n ]] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.05
    done
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  done
  echo "test-env: could not start Xvfb" >&2
  return 1
}
[[ -n ${DISPLAY:-} ]] || start_xvfb

mkdir -p "$WINEPREFIX"
wineserver -p >/dev/null 2>&1 </dev/null

if [[ ! -f $WINEPREFIX/.kst-ready ]]; then
  echo "test-env: creating Wine prefix $WINEPREFIX (once)"
  wineboot -i >/dev/null 2>&1 </dev/null
  # Without a window manager, hiding a managed top-level window costs seconds under Xvfb.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # There is no Arial here; a fixed replacement keeps text metrics stable.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
  touch "$WINEPREFIX/.kst-ready"
fi
# Start Wine's background services now, with their output redirected: started by the first
# test they would inherit its pipes and keep the test runner waiting for them.
wineboot >/dev/null 2>&1 </dev/null

"$@"
