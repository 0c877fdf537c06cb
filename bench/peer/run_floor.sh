#!/usr/bin/env bash
# One measured run of bench/peer/floor-client.c through the peer harness, in its private network namespace:
#   run_floor.sh HARNESS FLOOR_BIN N PORT OUTDIR      prints the harness's RESULT line, as client "floor"
set -u
harness=$1 floor=$2 n=$3 port=$4 out=$5
. "$harness/common.sh"
pb_ensure_netns bash "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
pb_server_start "$port" "$out" $((CLIENT_TIMEOUT + 30)) || exit 1
pb_measure "$out" "$floor" "$n" "$port"
pb_server_stop
pb_report floor once "$n" "$out"
