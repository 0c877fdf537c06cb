#!/usr/bin/env bash
# The installer in a private Wine prefix: a silent install puts the programs, the Start-menu shortcut, the
# sign-in value and the "Apps & features" entry in place and the installed programs run; a silent uninstall
# takes all of that away again and leaves the settings file alone.
# Usage: check-installer.sh SETUP_EXE
set -euo pipefail
setup=$(realpath "$1")

prefix=$(mktemp -d)
trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot --init >/dev/null 2>&1

user_dir=$(ls -d "$prefix"/drive_c/users/* | grep -v '/Public$' | head -n1)
install_dir="$user_dir/AppData/Local/Programs/Zelto Premium"
shortcut="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Zelto Premium.lnk"
settings="$user_dir/AppData/Roaming/Zelto Premium/ZeltoPre.INI"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelto Premium'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

passes=0
failures=0
check() { # DESCRIPTION COMMAND...
    local description=$1
    shift
    if "$@" >/dev/null 2>&1; then
        echo "ok: $description"
        passes=$((passes + 1))
    else
        echo "FAILED: $description"
        failures=$((failures + 1))
    fi
}
registry_has() { wine reg query "$1" /v "$2" 2>/dev/null | grep -q "$2"; }
# The uninstaller runs from a copy in the temporary folder and returns at once: wait for its work.
wait_until() {
    for _ in $(seq 150); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}
gone() { [ ! -e "$1" ]; }

wine "$setup" /S
for program in zelto-premium.exe zelto-premium-cli.exe Uninstall.exe; do
    check "$program installed" test -f "$install_dir/$program"
done
check "Start-menu shortcut" test -f "$shortcut"
check "uninstall entry" registry_has "$uninstall_key" DisplayName
check "uninstall entry's quiet command" registry_has "$uninstall_key" QuietUninstallString
check "started at sign-in" registry_has "$run_key" "Zelto Premium"
check "installed command line runs" wine "$install_dir/zelto-premium-cli.exe" --version
check "installed desktop program is a GUI program" \
    sh -c "x86_64-w64-mingw32-objdump -p '$install_dir/zelto-premium.exe' | grep -q 'Subsystem.*(Windows GUI)'"

# A client running from the installation, with a domain and an update server that is a closed local port.
mkdir -p "$(dirname "$settings")"
printf '[Zelto Systems Premium]\r\nnumofdomains=1\r\nfirst_level1=com\r\nsecond_level1=example\r\npassword1=secret12\r\nupdateserver=127.0.0.1:9\r\n' >"$settings"
wine "$install_dir/zelto-premium.exe" >/dev/null 2>&1 &
client=$!
sleep 3
client_ended() { ! kill -0 "$client" 2>/dev/null; }
check "installed client runs" sh -c "kill -0 $client"
wine "$install_dir/Uninstall.exe" /S
check "uninstaller closed the running client" wait_until client_ended
check "uninstaller removed itself" wait_until gone "$install_dir/Uninstall.exe"
for program in zelto-premium.exe zelto-premium-cli.exe; do
    check "$program removed" test ! -e "$install_dir/$program"
done
check "install folder removed" wait_until gone "$install_dir"
check "Start-menu shortcut removed" test ! -e "$shortcut"
check "uninstall entry removed" sh -c "! wine reg query '$uninstall_key' >/dev/null 2>&1"
check "sign-in value removed" sh -c "! wine reg query '$run_key' /v 'Zelto Premium' >/dev/null 2>&1"
check "settings file kept" test -f "$settings"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
