#!/usr/bin/env bash
# NAME.join.exe under Wine: zendra-cli.exe split --self-join copies zendra-join.exe beside the
# pieces with their list; the copy rebuilds the file, says so on a second run, and refuses a
# damaged or a missing piece, leaving no output and no temporary file.
# Usage: selfjoin-wine.sh WINE_RUN ZENDRA_CLI.exe
set -euo pipefail
run=$1
cli=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
name="it's \$x (1).bin"
head -c 250000 /dev/urandom >"$name"
cp "$name" original
"$run" "$cli" split "$name" --size 100000 --self-join --quiet
rm "$name"
expect() { # status, text the message holds, then the program's arguments
    local status=0 said
    said=$("$run" "./$name.join.exe" /s) || status=$?
    [ "$status" = "$1" ] && [[ $said == *"$2"* ]] && return 0
    echo "expected status $1 and \"$2\"; got $status: $said" >&2
    exit 1
}
expect 0 "Rebuilt \"$name\" from 3 pieces."
cmp original "$name"
expect 0 "is already rebuilt"
rm "$name"
before=$(ls -A)
cp "$name.001" kept
byte=$(od -An -tu1 -j5000 -N1 "$name.001")
printf "\\$(printf %o $(((byte + 1) % 256)))" | dd of="$name.001" bs=1 seek=5000 conv=notrunc 2>/dev/null
cmp -s kept "$name.001" && { echo "the piece was not damaged" >&2; exit 1; }
expect 1 "The piece \"$name.001\" is damaged; nothing was written."
mv kept "$name.001"
mv "$name.002" elsewhere
expect 1 "The piece \"$name.002\" is missing; nothing was written."
mv elsewhere "$name.002"
[ "$(ls -A)" = "$before" ] || { echo "left behind: $(ls -A)" >&2; exit 1; }
echo "zendra-join.exe: $(stat -c %s "$(dirname "$cli")/zendra-join.exe") bytes"
