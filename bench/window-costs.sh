#!/usr/bin/env bash
# What a split costs the window it runs in, under Wine on a virtual screen: when the progress
# window appears and how fast the window answers meanwhile.
# Usage: bench/window-costs.sh [rounds] [GiB]; BENCH_DIR is where the file and pieces lie.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
program=$(build_win_program window_costs)
start_xvfb
trap stop_xvfb EXIT
ensure_wine_prefix
work=$(mktemp -d "${BENCH_DIR:-$BUILD}/window-costs.XXXXXX")
trap 'stop_xvfb; rm -rf "$work"' EXIT
folder=$(winepath -w "$work" 2>/dev/null | tr -d '\r')
"$ROOT/scripts/wine-run" "$program" "$folder" "${1:-5}" "${2:-2}"
