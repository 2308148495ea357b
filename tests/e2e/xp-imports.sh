#!/usr/bin/env bash
# Windows XP SP3's loader refuses a program that imports a function its DLLs lack, before any
# code runs, and Wine cannot show this (its DLLs export everything whatever version a prefix
# reports). So the shipped programs' import tables are compared with a reviewed list of
# functions known to exist on XP SP3; an import missing from it fails here. Call anything newer
# through GetProcAddress, or add it to the list only after checking that XP SP3 has it.
# Usage: xp-imports.sh LIST PROGRAM.exe...
set -euo pipefail
export LC_ALL=C # one collation for sort and comm
list=$1
shift
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
allowed=$(grep -v '^#' "$list" | grep . | sort -u)
status=0
for program in "$@"; do
    name=$(basename "$program")
    header=$("$objdump" -p "$program")
    # "dll function" per import, by name; by ordinal it would show as a number.
    imports=$(awk '/DLL Name:/ { dll = tolower($3) }
                   /^\t[0-9a-f]+\t +[0-9]+ / { print dll " " $3 }' <<<"$header" | sort -u)
    [ -n "$imports" ] || { echo "$name: no imports read" >&2; status=1; continue; }
    unknown=$(comm -23 <(echo "$imports") <(echo "$allowed"))
    if [ -n "$unknown" ]; then
        echo "$name imports what the list does not name as present on Windows XP SP3:" >&2
        sed 's/^/    /' <<<"$unknown" >&2
        status=1
    fi
    # XP (5.1) loads nothing that asks for a newer subsystem.
    major=$(awk '$1 == "MajorSubsystemVersion" { print $2 }' <<<"$header")
    minor=$(awk '$1 == "MinorSubsystemVersion" { print $2 }' <<<"$header")
    if [ $((major * 100 + minor)) -gt 501 ]; then
        echo "$name asks for subsystem version $major.$minor; Windows XP is 5.1" >&2
        status=1
    fi
    echo "$name: $(wc -l <<<"$imports") imports, subsystem $major.$minor"
done
exit $status
