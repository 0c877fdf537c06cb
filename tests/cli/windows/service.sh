#!/usr/bin/env bash
# zelto-premium-cli.exe as a Windows service under Wine's service manager (scripts/test-windows sets WINEPREFIX
# and starts the emulators): install, a registration against the emulator, a stop during a stalled request
# with the dial-up guard put back, uninstall. Usage: service.sh PROGRAM.exe
set -Eeuo pipefail
trap 'echo "FAILED: line $LINENO: $BASH_COMMAND exited with $?" >&2' ERR
exe=$1
: "${ZELTO_TEST_EMULATOR:?run through scripts/test-windows}" "${ZELTO_TEST_STALLED_EMULATOR:?}"
failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
cli() { wine "$exe" "$@" 2>&1 | tr -d '\r'; }
# A command whose output matters only when it fails.
quietly() {
    local said
    said=$(cli "$@") || fail "$* exited with $?: $said"
}
folder="$WINEPREFIX/drive_c/ProgramData/Zelto Premium"
settings='C:\ProgramData\Zelto Premium\ZeltoPre.INI'
internet='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
autodial() { wine reg query "$internet" /v EnableAutodial 2>/dev/null | tr -d '\r' | awk '/EnableAutodial/ {print $3}'; }
cleanup() {
    cli service uninstall >/dev/null || true
    rm -rf "$folder"
}
cleanup
trap cleanup EXIT
use_server() { # HOST:PORT
    sed -i '/^updateserver=/d' "$folder/ZeltoPre.INI"
    printf 'updateserver=%s\r\n' "$1" >>"$folder/ZeltoPre.INI"
}

[[ $(cli service install) == *"installed"* ]] || fail "install"
# The service runs a copy that LocalService can read and only administrators replace.
copy="$WINEPREFIX/drive_c/Program Files/Zelto Premium/$(basename "$exe")"
[ -f "$copy" ] || fail "no program copy in Program Files"
[[ $(cli service status) == "Service Zelto Premium: stopped"* ]] || fail "status after install"
echo secret12 | quietly --settings "$settings" domain add example com
quietly --settings "$settings" method fixed 203.0.113.11
use_server "$ZELTO_TEST_EMULATOR"

# Started by the service manager, it registers through the emulator; status reads the service's file.
[[ $(cli service start) == *"running"* ]] || fail "start"
registered=no
for _ in $(seq 100); do
    [[ $(cli service status) == *"Last registration: 203.0.113.11"* ]] && registered=yes && break
    sleep 0.2
done
[ "$registered" == yes ] || fail "no registration: $(cli service status)"
said=$(cli service install) && fail "install over the running service exited 0"
[[ $said == *"it is installed and running; stop it first"* ]] || fail "install over the running service: $said"
said=$(cli service stop) || true
[[ $said == *"stopped"* ]] || fail "stop after the registration: $said; then: $(cli service status | head -n 1)"

# The manager's stop ends a stalled request and puts the dial-up setting back.
wine reg add "$internet" /v EnableAutodial /t REG_DWORD /d 1 /f >/dev/null
use_server "$ZELTO_TEST_STALLED_EMULATOR"
quietly service start
# The service manager starts it in its own time: a loaded machine takes seconds.
for _ in $(seq 60); do
    [ "$(autodial)" == "0x0" ] && break
    sleep 0.5
done
[ "$(autodial)" == "0x0" ] || fail "the request is not under way (EnableAutodial $(autodial))"
stopped=$(cli service stop) || fail "stop exited with $?: $stopped"
[ "$(autodial)" == "0x1" ] || fail "EnableAutodial after the stop: $(autodial)"

[[ $(cli service uninstall) == *"removed"* ]] || fail "uninstall"
status=0
[[ $(cli service status) == "Service Zelto Premium: not installed" ]] || fail "status after uninstall"
cli service status >/dev/null || status=$?
[ "$status" == 1 ] || fail "status after uninstall exited with $status"
[ -f "$folder/ZeltoPre.INI" ] || fail "uninstall removed the settings file"
[ ! -e "$copy" ] || fail "uninstall left the program copy"
exit $((failures > 0))
