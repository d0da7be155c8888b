#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# lpt-dump's bash completion, in a bash that loads Debian's bash-completion (as an installed
# package's users have it) and in a plain bash: each line is completed as bash would, and
# nothing may be printed but the candidates.   completion.sh COMPLETION-SCRIPT
set -uo pipefail
script=$(realpath "$1")
library=/usr/share/bash-completion/bash_completion
[ -r "$library" ] || { echo "completion: $library is missing (package bash-completion)" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
touch "$scratch/chip-image.bin" "$scratch/chip-other.bin"
failures=0

# Completes LINE (the cursor at its end) in a fresh bash, with or without bash-completion; prints
# the candidates, one a line, and anything the completion wrote to its standard error.
complete_line() {  # WITH-LIBRARY LINE
  (cd "$scratch" && env -i HOME="$scratch" PATH="$PATH" bash --norc --noprofile -c '
    [ "$1" = yes ] && . "$2"
    . "$3"
    line=$4
    # The words as bash splits them: at blanks, and each of = and : a word of its own.
    COMP_WORDS=()
    word=
    for ((i = 0; i < ${#line}; i++)); do
      c=${line:i:1}
      case $c in
        " ") [ -n "$word" ] && COMP_WORDS+=("$word"); word= ;;
        [=:]) [ -n "$word" ] && COMP_WORDS+=("$word"); COMP_WORDS+=("$c"); word= ;;
        *) word+=$c ;;
      esac
    done
    [[ $line == *" " ]] && word=
    COMP_WORDS+=("$word")
    [[ -z $word && ${line: -1} == [=:] ]] && unset "COMP_WORDS[-1]"
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMP_TYPE=9
    COMPREPLY=()
    _lpt_dump lpt-dump "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}"
  ' completion "$1" "$library" "$script" "$2" 2>&1)
}

expect() {  # LINE EXPECTED-CANDIDATES (one a line, sorted)
  local with got
  for with in yes no; do
    got=$(complete_line "$with" "$1" | sort)
    [ "$got" = "$2" ] || {
      echo "completion ($([ $with = yes ] && echo with || echo without) bash-completion) of '$1':" \
        "got [$got], expected [$2]" >&2
      failures=$((failures + 1))
    }
  done
}

expect "lpt-dump --ver" "--verify
--version"
expect "lpt-dump --rea" "--reads"
expect "lpt-dump --h" "--help
--help-all"
expect "lpt-dump --em" ""
expect "lpt-dump --reads " "10
2
3
5"
expect "lpt-dump --port em" "emulate
emulate:"
expect "lpt-dump --port=em" "emulate
emulate:"
expect "lpt-dump --port emulate:chip-i" "chip-image.bin"
expect "lpt-dump --port=emulate:chip-o" "chip-other.bin"
expect "lpt-dump -p emulate:" "chip-image.bin
chip-other.bin"
expect "lpt-dump chip-o" "chip-other.bin"
expect "lpt-dump --reads=" "10
2
3
5"
[ "$failures" -eq 0 ] && echo "completion: every line completed as expected, with and without bash-completion"
exit "$failures"
