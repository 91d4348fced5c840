#!/usr/bin/env bash
# Runs a command whose files cannot grow past a number of bytes, as on a disk that fills up:
# writes beyond the limit fail (the signal that would end the process is ignored). The tests
# learn the limit from KST_TEST_FILE_LIMIT. Wine passes the limit on to the Windows program.
#
#   tools/with-file-limit.sh <bytes, a multiple of 1024> <command> [args...]
set -euo pipefail
bytes=$1
shift
trap '' XFSZ
ulimit -f $((bytes / 1024))
export KST_TEST_FILE_LIMIT=$bytes
exec "$@"
