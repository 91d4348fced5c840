#!/usr/bin/env bash
# Installs the Debian packages of tools/packages.txt that are missing, and the German
# locale that the language tests need. As root it installs; otherwise it prints the command.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/packages.txt")
missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$pkg")
done

need_locale=0
if ! locale -a 2>/dev/null | grep -qi '^de_AT\.utf-\?8$'; then need_locale=1; fi

if (( ${#missing[@]} == 0 && need_locale == 0 )); then exit 0; fi

if [[ $(id -u) -ne 0 ]]; then
  echo "Missing packages or locale. Run as root:" >&2
  if (( ${#missing[@]} )); then
    echo "  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}" >&2
  fi
  if (( need_locale )); then
    echo "  sed -i 's/^# *de_AT.UTF-8/de_AT.UTF-8/' /etc/locale.gen && locale-gen" >&2
  fi
  exit 1
fi

if (( ${#missing[@]} )); then
  echo "Installing: ${missing[*]}"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if (( need_locale )); then
  grep -q '^de_AT.UTF-8' /etc/locale.gen 2>/dev/null || echo 'de_AT.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
