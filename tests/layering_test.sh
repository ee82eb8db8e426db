#!/usr/bin/env bash
# Fails when a source file includes a header from a layer that its own layer
# does not build on, or when Qt or POSIX headers appear where only the
# standard library belongs. The libraries link in the same order, so this
# catches what a link would only catch once a function is called.
#
#   tests/layering_test.sh SOURCE_ROOT
set -uo pipefail
cd "$1" || exit 2

# layer: the folders its files may include from
declare -A allowed=(
    [parser]="parser"
    [io]="io"
    [display]="display parser io"
    [settings]="settings display parser io"
    [document]="document display parser io"
    [ui]="ui"
    [cli]="cli document settings display parser io"
    [app]="app ui document settings display parser io"
)
# Layers that use the standard library alone: no Qt, no POSIX.
std_only="parser display settings document ui"

status=0
for layer in "${!allowed[@]}"; do
    while IFS= read -r line; do
        file=${line%%:*}
        header=${line#*\"}
        header=${header%\"*}
        folder=${header%%/*}
        case " ${allowed[$layer]} " in
            *" $folder "*) ;;
            *) echo "$file includes $header, outside what $layer/ builds on"; status=1 ;;
        esac
    done < <(grep -H -E '^#include "' "$layer"/*.h "$layer"/*.cpp 2>/dev/null)
done
for layer in $std_only; do
    if grep -H -n -E '^#include <(Q|sys/|unistd\.h|fcntl\.h|png\.h|CLI/|nlohmann/)' \
        "$layer"/*.h "$layer"/*.cpp 2>/dev/null; then
        echo "^ $layer/ uses the standard library only"
        status=1
    fi
done
if grep -l -E '^#include <Q' cli/* io/* 2>/dev/null; then
    echo "^ only app/ uses Qt"
    status=1
fi
[ $status -eq 0 ] && echo "Every include follows the layers."
exit $status
