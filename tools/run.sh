#!/usr/bin/env bash
# The program's main job: installs what is missing, builds the program and everything else, and
# starts it under Wine streaming the built-in demonstration node live into its curve window,
# recorded into build/example/live-demo.qld (written anew on each start; stopping the stream
# reopens it as the document). It also writes the example document build/example/signals.qld
# through the program's own save (tools/make_example_document), ready for File > Open.
#
#   JOBS=<n> tools/run.sh [program arguments...]    (JOBS: build jobs, default all processors)
# With a display (DISPLAY set) the program runs there until it is closed. Without one it starts
# on a private virtual display with "/noreg" (so no first-start dialog waits for an answer),
# once in English and once in German (the user's language decides), saves a picture of the main
# window with the live curves after a few seconds as build/talvenor-main-window-en.png and
# build/talvenor-main-window-de.png, and closes it each time (which stops the stream and keeps
# the recording); then it opens the example document and saves build/talvenor-example-document.png.
# Arguments given replace the demonstration stream; a relative path with a "/" names a file.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

tools/install-deps.sh
tools/build.sh windows

program=build/windows/app/talvenor.exe
recording=build/example/live-demo.qld
example=build/example/signals.qld
mkdir -p "$(dirname "$recording")"
tools/test-env.sh wine build/windows/tools/make_example_document.exe "$example"
demo=0
if (( $# == 0 )); then
  demo=1
  set -- "$recording" /ONLQVANE 255.255.255.255
fi
if [[ -n ${DISPLAY:-} ]]; then
  if (( demo )); then rm -f "$recording"; fi
  exec tools/test-env.sh bash -c '
    program=$1
    shift
    arguments=()
    for argument in "$@"; do
      [[ -e $argument || ( $argument != /* && $argument == */* ) ]] && argument=$(winepath -w "$argument")
      arguments+=("$argument")
    done
    exec wine "$program" "${arguments[@]}"
  ' run "$program" "$@"
fi

# Starts the program with the arguments in the given locale, saves its main window as the
# picture once it shows and closes it.
shoot() {
  local shot=$1 locale=$2
  shift 2
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
      elif [[ $argument != /* && $argument == */* ]]; then
        argument=$(winepath -w "$argument")  # a new file: the recording of a stream
      fi
      arguments+=("$argument")
    done
    LANG=$locale wine "$program" "${arguments[@]}" /noreg &
    pid=$!
    status=0
    wine build/windows/tools/window_shot.exe "$title*" "$shot" 60000 4000 || status=$?
    if (( status != 0 )); then
      kill "$pid" 2>/dev/null || true
    fi
    wait "$pid" || true
    exit "$status"
  ' run "$program" "$shot" "$locale" "$@"
}

for language in en de; do
  locale=C.UTF-8
  [[ $language == de ]] && locale=de_AT.UTF-8
  if (( demo )); then rm -f "$recording"; fi
  shoot "build/talvenor-main-window-$language.png" "$locale" "$@"
done
if (( demo )); then
  shoot build/talvenor-example-document.png C.UTF-8 "$example"
fi
echo "The program started and closed again; its main window: build/talvenor-main-window-{en,de}.png"
if (( demo )); then
  echo "The live stream was recorded into $recording; the example document $example:" \
    "build/talvenor-example-document.png"
fi
