#!/usr/bin/env bash
# The man page holds every option of --help as an entry of its OPTIONS
# section, and man renders it without a warning.
#   manPageTest.sh BINARY MANPAGE
set -euo pipefail
binary=$1 page=$2

# The options of --help: the names at the start of the option lines (column 3
# up to the description's column 21), e.g. "-j" and "--jobs" of "-j, --jobs N".
mapfile -t options < <("$binary" --help | grep -E '^  -' | cut -c 1-20 | grep -oE -- '--?[A-Za-z0-9][-A-Za-z0-9]*' | sort -u)
if [ ${#options[@]} -lt 2 ]; then
  echo "FAIL: found no options in $binary --help" >&2
  exit 1
fi

warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  echo "FAIL: man warns about $page:" >&2
  echo "$warnings" >&2
  exit 1
fi

# The OPTIONS section as text: each entry's name on a line of its own,
# indented by 7 spaces, its description below it indented further.
section=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E ascii -l "$page" | col -b |
  sed -n '/^OPTIONS$/,/^[A-Z]/p')
failed=0
for option in "${options[@]}"; do
  if ! grep -qE -- "^       (.*, )?${option}( |,|\$)" <<<"$section"; then
    echo "FAIL: $option of --help is not an entry of the man page's OPTIONS" >&2
    failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "The man page's OPTIONS:" >&2
  echo "$section" >&2
  exit 1
fi
echo "the man page holds the ${#options[@]} options of --help: ${options[*]}"
