#!/usr/bin/env bash
# End-to-end print test: the framework tests print a two-page job on a Wine PostScript printer
# whose port is a file (FilePrinterTest), and ghostscript renders that file: it must hold two
# pages whose ink lies inside the imageable area of the printer's PPD (half a line width of
# tolerance: the frame of each page is drawn on the edge of the printable area). Runs inside
# tools/test-env.sh (ctest does that).
#   tools/print-file-test.sh <path of framework_tests.exe> <path of the printer's PPD>
set -euo pipefail
tests=$1
ppd=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=$work/job.ps

command -v gs >/dev/null || { echo "ghostscript is missing (tools/install-deps.sh)" >&2; exit 1; }
KST_TEST_PRINT_FILE=$out wine "$tests" --gtest_filter='FilePrinterTest.*' --gtest_brief=1
[[ -s $out ]] || { echo "the printer wrote no file" >&2; exit 1; }

read -r left bottom right top < <(sed -n 's/^\*ImageableArea [^:]*: *"\([0-9. ]*\)".*/\1/p' "$ppd" | head -1)
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=bbox "$out" 2>&1 |
  awk -v l="$left" -v b="$bottom" -v r="$right" -v t="$top" '
    /^%%HiResBoundingBox:/ {
      pages++
      if ($2 >= $4 || $3 >= $5) { print "page " pages ": no ink"; bad = 1 }
      if ($2 < l - 1 || $3 < b - 1 || $4 > r + 1 || $5 > t + 1) {
        print "page " pages ": ink at " $2 " " $3 " " $4 " " $5 " outside " l " " b " " r " " t
        bad = 1
      }
    }
    END {
      if (pages != 2) { print "rendered " pages + 0 " pages, expected 2"; bad = 1 }
      exit bad
    }'
echo "file-port printer: two pages inside the margins"
