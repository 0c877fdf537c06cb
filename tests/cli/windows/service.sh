#!/usr/bin/env bash
# zelto-premium-cli.exe as a Windows service under Wine's service manager (scripts/test-windows sets WINEPREFIX
# and starts the emulator): install, a registration against the emulator, the manager's stop, uninstall. A stop
# during a stalled request is the console test's, through the same update thread. Usage: service.sh PROGRAM.exe
set -Eeuo pipefail
exe=$1
: "${ZELTO_TEST_EMULATOR:?run through scripts/test-windows}"
source "$(dirname "$0")/checks.sh"
folder="$WINEPREFIX/drive_c/ProgramData/Zelto Premium"
settings='C:\ProgramData\Zelto Premium\ZeltoPre.INI'
cleanup() {
    cli service uninstall >/dev/null || true
    rm -rf "$folder"
}
cleanup
trap cleanup EXIT

[[ $(cli service install) == *"installed"* ]] || fail "install"
# The service runs a copy that LocalService can read and only administrators replace.
copy="$WINEPREFIX/drive_c/Program Files/Zelto Premium/$(basename "$exe")"
[ -f "$copy" ] || fail "no program copy in Program Files"
[[ $(cli service status) == "Service Zelto Premium: stopped"* ]] || fail "status after install"
echo secret12 | quietly --settings "$settings" domain add example com
quietly --settings "$settings" method fixed 203.0.113.11
printf 'updateserver=%s\r\n' "$ZELTO_TEST_EMULATOR" >>"$folder/ZeltoPre.INI"

# Started by the service manager, it registers through the emulator; status reads the service's file.
[[ $(cli service start) == *"running"* ]] || fail "start"
registered() { [[ $(cli service status) == *"Last registration: 203.0.113.11"* ]]; }
within 20 registered || fail "no registration: $(cli service status)"
said=$(cli service install) && fail "install over the running service exited 0"
[[ $said == *"it is installed and running; stop it first"* ]] || fail "install over the running service: $said"
said=$(cli service stop) || true
[[ $said == *"stopped"* ]] || fail "stop after the registration: $said; then: $(cli service status | head -n 1)"

[[ $(cli service uninstall) == *"removed"* ]] || fail "uninstall"
status=0
[[ $(cli service status) == "Service Zelto Premium: not installed" ]] || fail "status after uninstall"
cli service status >/dev/null || status=$?
[ "$status" == 1 ] || fail "status after uninstall exited with $status"
[ -f "$folder/ZeltoPre.INI" ] || fail "uninstall removed the settings file"
[ ! -e "$copy" ] || fail "uninstall left the program copy"
exit $((failures > 0))
