#!/usr/bin/env bash
# man_page_test.sh PROGRAM MANPAGE: the manual page and the program's --help
# name the same options. For a program with subcommands (a "Subcommands:"
# list in its help), every subcommand and each one's options count too.
set -euo pipefail
program=$1
page=$2

help=$("$program" --help)
subcommands=$(printf '%s\n' "$help" |
    awk '/^Subcommands:/ { on = 1; next } on && /^  [a-z]/ { print $1 } on && /^$/ { on = 0 }')
for sub in $subcommands; do
    help+=$'\n'$("$program" "$sub" --help)
done

# The page's text without roff escapes for dashes and fonts.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")

# grep -q stops reading at the first match; the texts are given as here
# strings, not through a pipe whose writer would then fail under pipefail.

# Options as they stand in running text: after a blank, a comma, a bracket
# or at a line start, so that hyphenated words are not taken for options.
options_in() {
    grep -oE -- '(^|[][ ,(])--?[a-zA-Z][a-zA-Z-]*' | sed -E 's/^[][ ,(]//' | sort -u
}

status=0
for option in $(printf '%s\n' "$help" | options_in); do
    if ! grep -qE -- "(^|[^a-zA-Z-])$option([^a-zA-Z-]|\$)" <<<"$text"; then
        echo "$page does not describe $option, which '$program --help' lists"
        status=1
    fi
done
for option in $(printf '%s\n' "$text" | options_in); do
    if ! grep -qE -- "(^|[^a-zA-Z-])$option([^a-zA-Z-]|\$)" <<<"$help"; then
        echo "$page describes $option, which '$program --help' does not list"
        status=1
    fi
done
for sub in $subcommands; do
    if ! grep -qE "^\.SS $sub( |\$)" <<<"$text"; then
        echo "$page has no section (.SS) for the subcommand $sub"
        status=1
    fi
done
exit $status
