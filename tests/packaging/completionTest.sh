#!/usr/bin/env bash
# The bash completion offers every option of --help, package files for the
# packages, .json files for -f, folders for -o and the settings of
# --compression, names with spaces included.
#   completionTest.sh BINARY COMPLETION
set -uo pipefail
binary=$(realpath "$1") completion=$(realpath "$2")

helpers=/usr/share/bash-completion/bash_completion
if [ ! -f "$helpers" ]; then
  echo "FAIL: $helpers is missing (Debian package bash-completion; scripts/install-deps installs it)" >&2
  exit 1
fi
# shellcheck disable=SC1090
source "$helpers"
# shellcheck disable=SC1090
source "$completion"

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
touch main.obb patch.rsb china.rsb.smf "with space.obb" index.json notes.txt picture.png
mkdir output "space folder"

# What completing the last of the words offers, one per line, sorted. The
# command word is the binary itself: the options come from its --help.
offers() {
  COMP_WORDS=("$binary" "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _resunpack "$binary" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
  printf '%s\n' "${COMPREPLY[@]}" | sort
}

failed=0
expect() {
  local name=$1 wanted=$2 got
  shift 2
  got=$(offers "$@")
  if [ "$got" != "$(printf '%s\n' $wanted | sed 's/+/ /g' | sort)" ]; then
    echo "FAIL: $name: completing '$*' offers:" >&2
    echo "$got" | sed 's/^/    /' >&2
    echo "  instead of: $wanted" >&2
    failed=1
  fi
}

# Each row: what is checked, what is offered (a '+' stands for a space in a
# name), then the words typed.
expect "packages and folders" "main.obb patch.rsb china.rsb.smf with+space.obb output space+folder" ""
expect "packages after an option" "main.obb patch.rsb china.rsb.smf with+space.obb output space+folder" --all ""
expect "a started package name" "main.obb" ma
expect "index files for -f" "index.json output space+folder" -f ""
expect "folders for -o" "output space+folder" main.obb -o ""
expect "--compression settings" "fast default best" --compression ""
expect "a started option" "--keep-extracted" --ke
expect "nothing for a count" "" -j ""

# Every option of --help is offered for a lone '-'.
mapfile -t options < <("$binary" --help | grep -E '^  -' | cut -c 1-20 | grep -oE -- '--?[A-Za-z0-9][-A-Za-z0-9]*' | sort -u)
offered=$(offers -)
for option in "${options[@]}"; do
  if ! grep -qxF -- "$option" <<<"$offered"; then
    echo "FAIL: $option of --help is not offered for '-'" >&2
    failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  exit 1
fi
echo "the completion offers the ${#options[@]} options of --help and the right files"
