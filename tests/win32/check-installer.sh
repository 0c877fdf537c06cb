#!/usr/bin/env bash
# The installer in a private Wine prefix: a silent install (programs, shortcut, sign-in value, uninstall
# entry), upgrades (running clients closed and started again, the sign-in choice, refused while a console copy
# runs from the installation), a silent uninstall that leaves the settings file. Usage: check-installer.sh SETUP_EXE
set -euo pipefail
setup=$(realpath "$1")
source "$(dirname "$0")/checks.sh"

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

registry_has() { wine reg query "$1" /v "$2" 2>/dev/null | grep -q "$2"; }
# The uninstaller runs from a copy in the temporary folder and returns at once: its work is waited for.
gone() { [ ! -e "$1" ]; }

wine "$setup" /S
check "Start-menu shortcut" test -f "$shortcut"
check "uninstall entry" registry_has "$uninstall_key" DisplayName
check "uninstall entry's quiet command" registry_has "$uninstall_key" QuietUninstallString
check "started at sign-in" registry_has "$run_key" "Zelto Premium"
check "installed command line runs" wine "$install_dir/zelto-premium-cli.exe" --version
check "installed desktop program is a GUI program" \
    sh -c "x86_64-w64-mingw32-objdump -p '$install_dir/zelto-premium.exe' | grep -q 'Subsystem.*(Windows GUI)'"

# Settings files with a domain and an update server that is a closed local port.
seed() { # FILE
    mkdir -p "$(dirname "$1")"
    printf '[Zelto Systems Premium]\r\nnumofdomains=1\r\nfirst_level1=com\r\nsecond_level1=example\r\npassword1=secret12\r\nupdateserver=127.0.0.1:9\r\n' >"$1"
}
seed "$settings"
# Process ids whose command line names FILE.
running_on() { pgrep -f -- "$(basename "$1")" || true; }
alive() { kill -0 "$1" 2>/dev/null; }
# A client's update cycle empties the update record first thing, once its windows are up.
cycle_started() { grep -q '^updatedip=' "$1"; }

# An upgrade closes the tray client running from the installation and starts it again on its own settings
# file; a copy started from another folder runs on untouched.
own=$user_dir/own.ini
seed "$own"
seed "$prefix/drive_c/other/elsewhere.ini"
cp "$install_dir/zelto-premium.exe" "$prefix/drive_c/other/"
wine "$install_dir/zelto-premium.exe" --settings "$(winepath -w "$own")" >/dev/null 2>&1 &
first=$!
wine "$prefix/drive_c/other/zelto-premium.exe" --settings 'C:\other\elsewhere.ini' >/dev/null 2>&1 &
elsewhere=$!
within 30 cycle_started "$own" && within 30 cycle_started "$prefix/drive_c/other/elsewhere.ini" || true
check "upgrade over running clients succeeds" wine "$setup" /S
first_ended() { ! alive "$first"; }
check "upgrade closed the client running from the installation" within 30 first_ended
restarted() { running_on "$own" | grep -vqx "$first"; }
check "upgrade started it again on its settings file" within 30 restarted
check "a client from another folder runs on" alive "$elsewhere"
# The restarted client takes a close only once its session is up: let its cycle start before the next upgrade.
sed -i '/^updatedip=/d' "$own"
within 30 cycle_started "$own" || true
kill "$elsewhere" 2>/dev/null || true

check "upgrade with /SIGNIN=no succeeds" wine "$setup" /S /SIGNIN=no
check "upgrade with the sign-in box unticked removes the sign-in value" sh -c "! wine reg query '$run_key' /v 'Zelto Premium' >/dev/null 2>&1"
wine "$setup" /S || true
check "a later silent upgrade keeps that choice" sh -c "! wine reg query '$run_key' /v 'Zelto Premium' >/dev/null 2>&1"
wine "$setup" /S /SIGNIN=yes || true
check "upgrade with the box ticked writes it again" registry_has "$run_key" "Zelto Premium"

# A console copy from the installation: the upgrade refuses (Wine would overwrite its file where Windows
# refuses), replaces nothing and closes no tray client.
seed "$user_dir/console.ini"
wine "$install_dir/zelto-premium-cli.exe" --settings "$(winepath -w "$user_dir/console.ini")" --headless >/dev/null 2>&1 &
console=$!
within 30 cycle_started "$user_dir/console.ini" || true
tray=$(running_on "$own" | head -n1)
touch -d 2000-01-01 "$install_dir/zelto-premium.exe" "$install_dir/zelto-premium-cli.exe"
refused=0
wine "$setup" /S || refused=$?
check "upgrade refuses while a console copy runs from the installation" test "$refused" -ne 0
check "and replaces no program" sh -c "[ \$(stat -c %Y '$install_dir/zelto-premium.exe') = 946684800 ] && [ \$(stat -c %Y '$install_dir/zelto-premium-cli.exe') = 946684800 ]"
check "and leaves the tray client running" alive "$tray"
kill "$console" 2>/dev/null || true
console_gone() { ! alive "$console"; }
within 30 console_gone || true

# The client running from the installation, for the uninstaller.
wine "$install_dir/zelto-premium.exe" >/dev/null 2>&1 &
client=$!
within 30 cycle_started "$settings" || true
client_ended() { ! kill -0 "$client" 2>/dev/null; }
check "installed client runs" sh -c "kill -0 $client"
wine "$install_dir/Uninstall.exe" /S
check "uninstaller closed the running client" within 30 client_ended
# The uninstaller removes the folder only once it holds nothing, itself included.
check "install folder removed" within 60 gone "$install_dir"
check "Start-menu shortcut removed" test ! -e "$shortcut"
check "uninstall entry removed" sh -c "! wine reg query '$uninstall_key' >/dev/null 2>&1"
check "sign-in value removed" sh -c "! wine reg query '$run_key' /v 'Zelto Premium' >/dev/null 2>&1"
check "settings file kept" test -f "$settings"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
