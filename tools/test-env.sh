#!/usr/bin/env bash
# Runs a command in the test environment: an Xvfb display when none is set, the project's own
# Wine prefix inside the build folder, one persistent wineserver for the whole run, quiet Wine
# logs, pinned LANG/TZ and a serial line between two COM ports of the prefix (a pseudo-terminal
# pair joined by socat; KST_TEST_SERIAL_PORT is the program's end, KST_TEST_SERIAL_PEER the end a
# test drives as the device). Everything it started is ended when the command ends, also on
# failure.
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
serial_pid=""
serial_port=11
serial_peer=12
cleanup() {
  stop_serial_line
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

# The serial line: two ptys whose slave ends Wine opens as COM ports; socat copies bytes between
# their masters, so the tty settings of both ends survive while the ports are closed and reopened.
serial_links=("$WINEPREFIX/dosdevices/com$serial_port" "$WINEPREFIX/dosdevices/com$serial_peer")
serial_pid_file=$WINEPREFIX/.kst-serial.pid
stop_serial_line() {
  [[ -n $serial_pid ]] || return 0
  kill "$serial_pid" 2>/dev/null || true
  wait "$serial_pid" 2>/dev/null || true
  rm -f "${serial_links[@]}" "$serial_pid_file"
}
start_serial_line() {
  local stale link ready
  command -v socat >/dev/null || { echo "test-env: socat is missing (tools/install-deps.sh)" >&2; return 1; }
  # A run that was killed outright leaves its socat and links behind: end that socat, but only
  # while the recorded process still is the one serving this prefix, and drop the links.
  if [[ -f $serial_pid_file ]]; then
    stale=$(<"$serial_pid_file")
    if [[ $stale =~ ^[0-9]+$ ]] &&
       tr '\0' ' ' 2>/dev/null <"/proc/$stale/cmdline" | grep -qF "link=${serial_links[0]}"; then
      kill "$stale" 2>/dev/null || true
      # Its exit removes its links, which must not take the new ones with them.
      for _ in $(seq 100); do kill -0 "$stale" 2>/dev/null || break; sleep 0.02; done
    fi
    rm -f "$serial_pid_file"
  fi
  rm -f "${serial_links[@]}"
  socat "pty,raw,echo=0,link=${serial_links[0]}" "pty,raw,echo=0,link=${serial_links[1]}" \
    </dev/null >/dev/null 2>&1 &
  serial_pid=$!
  echo "$serial_pid" >"$serial_pid_file"
  for _ in $(seq 250); do
    ready=1
    for link in "${serial_links[@]}"; do [[ -L $link ]] || ready=0; done
    if (( ready )); then
      export KST_TEST_SERIAL_PORT=$serial_port KST_TEST_SERIAL_PEER=$serial_peer
      return 0
    fi
    kill -0 "$serial_pid" 2>/dev/null || break
    sleep 0.02
  done
  echo "test-env: could not start the serial line (socat)" >&2
  return 1
}

mkdir -p "$WINEPREFIX"
# Fails when a run that was killed outright left its server behind; that one then serves this
# run and is ended with it.
wineserver -p >/dev/null 2>&1 </dev/null || true

# The marker holds the version of the prefix's settings: raise it when a setting is added, and
# prefixes made before get all settings again (each one can be applied twice).
prefix_marker=$WINEPREFIX/.kst-ready
prefix_version=2
if [[ ! -f $prefix_marker ]]; then
  echo "test-env: creating Wine prefix $WINEPREFIX (once)"
  wineboot -i >/dev/null 2>&1 </dev/null
fi
if [[ $(cat "$prefix_marker" 2>/dev/null || true) != "$prefix_version" ]]; then
  # Without a window manager, hiding a managed top-level window costs seconds under Xvfb.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # There is no Arial here; a fixed replacement keeps text metrics stable.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
  # A crash must end the test, not open a dialog on the test display that waits for a click.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  echo "$prefix_version" >"$prefix_marker"
fi
# Wine's own fonts (Marlett for the title-bar buttons, Tahoma for "MS Shell Dlg") come with
# Debian's fonts-wine, but this Wine looks for them under a path that does not resolve; in the
# prefix's Fonts folder it finds them. Linked on every run, so a later install counts too.
wine_fonts=/usr/share/wine/fonts
if [[ -d $wine_fonts && -d $WINEPREFIX/drive_c/windows/Fonts ]]; then
  ln -sf "$wine_fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
fi
# Start Wine's background services now, with their output redirected: started by the first
# test they would inherit its pipes and keep the test runner waiting for them.
wineboot >/dev/null 2>&1 </dev/null
start_serial_line

"$@"
