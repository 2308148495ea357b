#!/usr/bin/env bash
# The Windows zendra-cli.exe under Wine, on a fixed sample of sets the real GNU split, 7-Zip and
# zip make: each complete set joins byte for byte (a set from FROM with --first); each then
# damaged once (a middle or the first part gone, a stray part after a short last one, a check
# file that leaves out a present part, a hex part beside decimal ones) is refused naming a file,
# leaving no output. 7-Zip's and zip's sets need 7zz and zip (skipped without them).
# Usage: parts-wine.sh WINE_RUN ZENDRA_CLI.exe
set -euo pipefail
run=$1
cli=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
fail() { echo "$*" >&2; exit 1; }

# split's options | prefix | the damage | the file the refusal names | --first, when needed
# (a middle damage takes the third part away: the refusal names it as missing)
sample=(
    "-b 1000|data.bin.|middle|data.bin.ac|"
    "-b 1000 -d|data.bin.|first|data.bin.00|"
    "-b 700 --numeric-suffixes=1 -a 3|data.bin.|first|data.bin.001|"
    "-b 999 -x|src.|hex|src.0a|"
    "-b 2000|backup.tar.|stray|backup.tar.aj|"
    "-b 1000|movie|middle|movieac|"
    "-b 1500 -a 1|file.|middle|file.c|"
    "-b 3000 -d --additional-suffix=.part|ep 01.mkv.|first|ep 01.mkv.00.part|"
    "-b 3000 --additional-suffix=.tar.gz|arch|middle|archac.tar.gz|"
    "-n 7|cafe|check|cafeaa|"
    "-n 5 -d|page.|check|page.00|"
    "-l 40|notes.txt.|middle|notes.txt.ac|"
    "-C 900|log.|first|log.aa|"
    "-b 400 --numeric-suffixes=7|v2.iso.|first|v2.iso.07|v2.iso.07"
    "-b 400 --hex-suffixes=3 -a 3|code.|middle|code.005|code.003"
    "-b 16|many.|middle|many.ac|"
    "-b 5000 -d|take2|stray|take204|"
)
made=0
for entry in "${sample[@]}"; do
    IFS='|' read -r options prefix damage named first <<<"$entry"
    rm -rf set && mkdir set && cd set
    seq 1 3000 | sed 's/$/ a line of text/' >../lines
    head -c 17000 ../lines >../source
    # shellcheck disable=SC2086
    split $options ../source "$prefix"
    mapfile -t parts < <(ls)
    picked=${parts[$(( ${#parts[@]} / 2 ))]}
    args=()
    [ -n "$first" ] && args=(--first "$first")
    "$run" "$cli" join "$picked" --name joined -q "${args[@]}" || fail "$entry: not joined"
    cmp -s ../source joined || fail "$entry: other bytes joined"
    rm joined
    case $damage in
    middle) rm -- "${parts[2]}"; picked=${parts[0]} ;;
    first) rm -- "${parts[0]}"; picked=${parts[1]} ;;
    stray) printf '%04000d' 0 >"$named" ;;
    check) sha256sum -- "${parts[@]:1}" >cafe.sha256; md5sum -- "${parts[@]:1}" >page.md5 ;;
    hex) printf x >"$named"; picked=${parts[0]} ;;
    esac
    status=0
    said=$("$run" "$cli" join "$picked" --name joined -q "${args[@]}" 2>&1) || status=$?
    [ "$status" = 1 ] || fail "$entry: exit $status after the damage: $said"
    [[ $said == *"$named\""* ]] || fail "$entry: the refusal does not name $named: $said"
    [ ! -e joined ] || fail "$entry: an output was left"
    cd ..
    made=$((made + 1))
done

# Archives' volumes: 7-Zip's raw parts without their first or a middle volume; zip's spanned
# volumes, refused as an archive's also without their first.
if command -v 7zz >/dev/null; then
    rm -rf set && mkdir set && cd set
    head -c 20000 /dev/urandom >../source
    7zz a -mx0 -v6000b -bso0 -bsp0 a.7z ../source
    mv a.7z.002 ../kept
    said=$("$run" "$cli" join a.7z.001 -q 2>&1) && fail "7-Zip: joined without .002"
    [[ $said == *'"a.7z.002", the part after'* ]] || fail "7-Zip: $said"
    mv ../kept a.7z.002 && rm a.7z.001
    said=$("$run" "$cli" join a.7z.002 -q 2>&1) && fail "7-Zip: joined without .001"
    [[ $said == *'"a.7z.001", which is missing'* ]] || fail "7-Zip: $said"
    cd .. && made=$((made + 2))
fi
if command -v zip >/dev/null; then
    rm -rf set && mkdir set && cd set
    head -c 200000 /dev/urandom >big
    zip -q -0 -s 64k arch.zip big && rm big arch.z01
    said=$("$run" "$cli" join arch.z02 -q 2>&1) && fail "zip: joined without .z01"
    [[ $said == *"split zip archive"* ]] || fail "zip: $said"
    cd .. && made=$((made + 1))
fi
echo "$made sets through the Windows tool"
