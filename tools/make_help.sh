#!/usr/bin/env bash
# Compiles the help pages of resources/help/<language>/ into resources/help/talvenor_<language>.chm,
# the files the program carries as resources. Needs chmcmd (Debian package fp-utils).
set -euo pipefail
help=$(cd "$(dirname "${BASH_SOURCE[0]}")/../resources/help" && pwd)
for language in de en; do
  (cd "$help/$language" && chmcmd talvenor.hhp >/dev/null)
  mv "$help/$language/talvenor.chm" "$help/talvenor_$language.chm"
done
