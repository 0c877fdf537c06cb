#!/usr/bin/env bash
# zelto-premium-cli.exe as a user runs it, under Wine in the test prefix (scripts/test-windows sets
# WINEPREFIX and starts the emulator, ZELTO_TEST_EMULATOR): only what the Linux suites cannot see through the
# same shared code: WinINet and the dial-up guard across processes, the note of an unrecorded registration,
# code pages, the console's events, the original client's file, the Run key, the DLLs it needs. The file
# layer's own refusals are the settings suite's.
# Usage: console-program.sh PROGRAM.exe OBJDUMP CONSOLE-HELPER.exe TEST-HOOK.exe
set -Eeuo pipefail
exe=$1
objdump=$2
helper=$3
hook=$4
: "${ZELTO_TEST_EMULATOR:?run through scripts/test-windows, which starts the emulator}"
source "$(dirname "$0")/checks.sh"
# --headless on SETTINGS under the helper, which sends the console EVENT once the command READY succeeds
# (within 30 s): it must end with exit code 0 before the console's 5 s are up.
headless_until() { # EVENT SETTINGS READY
    local sender ended
    rm -f "$work/go" && mkfifo "$work/go"
    timeout 60 wine "$helper" event "$1" "$exe" --settings "$2" --headless <"$work/go" >"$work/event.log" 2>&1 &
    sender=$!
    exec 3>"$work/go"
    within 30 "$3" || fail "$1: --headless is not under way: $(tr -d '\r' <"$work/event.log")"
    echo go >&3
    exec 3>&-
    wait "$sender" || fail "$1: the helper ended with $?"
    ended=$(tr -d '\r' <"$work/event.log")
    grep -qx "ended 0" <<<"$ended" || fail "$1: $ended"
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
settings="Z:$work/Zoë/ZeltoPre.INI"
internet='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
autodial() { wine reg query "$internet" /v EnableAutodial 2>/dev/null | tr -d '\r' | awk '/EnableAutodial/ {print $3}'; }
guard_on() { [ "$(autodial)" == 0x0 ]; }

# Only DLLs that ship with Windows: the C++ runtime and winpthread are linked in.
dlls=$("$objdump" -p "$exe" | awk '/DLL Name/ {print tolower($3)}' | sort | xargs)
for dll in $dlls; do
    case $dll in
    kernel32.dll | msvcrt.dll | advapi32.dll | shell32.dll | ole32.dll | user32.dll | wininet.dll | crypt32.dll | \
        iphlpapi.dll | ws2_32.dll) ;;
    *) fail "needs $dll" ;;
    esac
done

# Configuring, in a folder whose name is not ASCII.
expect_eq "domain add" "Domain example.com loaded." "$(echo secret12 | cli --settings "$settings" domain add example com)"
quietly --settings "$settings" method fixed 203.0.113.9
printf 'updateserver=%s\r\n' "$ZELTO_TEST_EMULATOR" >>"$work/Zoë/ZeltoPre.INI"

# --once registers through WinINet.
once=$(cli --settings "$settings" --once) || fail "--once exited with $?"
[[ $once == *"-> ip203.0.113.9"* ]] || fail "--once: $once"
# A registration that the file cannot take (marked read-only) is no success, and check still tells it from
# the note in the user's state folder.
quietly --settings "$settings" method fixed 203.0.113.10
chmod a-w "$work/Zoë/ZeltoPre.INI"
cli --settings "$settings" --once >/dev/null && fail "--once with a read-only file exited 0"
code=0
wine "$exe" --settings "$settings" check >/dev/null 2>&1 || code=$?
expect_eq "check of an unrecorded registration" 1 "$code"
chmod u+w "$work/Zoë/ZeltoPre.INI"

# The console program runs the hook on a change of the registered address, with the address.
cp "$hook" "$work/hook.exe"
quietly --settings "$settings" hook set "Z:$work/hook.exe"
quietly --settings "$settings" method fixed 203.0.113.11
said=$(cli --settings "$settings" --once --force)
[[ $said == *" -> 203.0.113.11|"*"|203.0.113.11"* ]] || fail "the hook did not run: $said"
quietly --settings "$settings" hook clear
# No input at all (NUL, which the C runtime counts as a terminal) is told as such.
said=$(cli --settings "Z:$work/noinput.ini" domain add example com </dev/null) && fail "domain add without input exited 0"
[[ $said == *"no password on standard input"* ]] || fail "domain add without input: $said"

# The original client's file: the Windows-1252 bytes of a label and a password are shown as their
# characters, sent as they are (the emulator knows the account by those bytes only) and removed by typing them.
ansi="Z:$work/ansi.ini"
printf '[Zelto Systems Premium]\r\nnumofdomains=1\r\nsecond_level1=M\xfcller\r\nfirst_level1=com\r\n' >"$work/ansi.ini"
printf 'password1=p\xe4ss1234\r\nipmethod=3\r\none=192\r\ntwo=0\r\nthree=2\r\nfour=1\r\nupdateserver=%s\r\n' \
    "$ZELTO_TEST_EMULATOR" >>"$work/ansi.ini"
# Into a pipe the console program writes the ANSI code page.
expect_eq "domain list" "Domain Müller.com loaded." "$(cli --settings "$ansi" domain list | iconv -f CP1252)"
[[ $(cli --settings "$ansi" --once) == *"-> ip192.0.2.1"* ]] || fail "--once with the original's bytes"
expect_eq "domain remove" "No Domains Loaded!" "$(echo päss1234 | cli --settings "$ansi" domain remove Müller com)"

# A password typed at a console is read in the console's code page (850 here) and stored in the ANSI code
# page (1252), as an argument is (Müller above); a character that page cannot hold is refused by name and
# number, which a pipe in that page shows when it cannot show the character.
typed=$work/typed.ini
while read -r password expected; do
    rm -f "$typed"
    status=0
    # Into a file: the console the helper makes may hold a pipe open after the helper has ended.
    wine "$helper" type 850 "$password" "$exe" --settings "Z:$typed" domain add example com >"$work/typed.log" 2>&1 ||
        status=$?
    said=$(tr -d '\r' <"$work/typed.log" | iconv -f CP850)
    stored=$(sed -n 's/^password1=//p' "$typed" 2>/dev/null | tr -d '\r' | iconv -f CP1252 || true)
    case $expected in
    refused) [[ $status == 1 && -z $stored && $said == *U+0131* ]] || fail "typed $password: exit $status, $said" ;;
    *) expect_eq "typed $password" "$expected" "$stored" ;;
    esac
done <<'PASSWORDS'
pässwö12 pässwö12
pass1ı23 refused
PASSWORDS

# A head that floods memory is no answer, said as such, and nothing is recorded (the other overlong answers
# and redirects: WinInetHttpSessionTest).
flood=$work/flood.ini
echo secret12 | quietly --settings "Z:$flood" domain add example com
quietly --settings "Z:$flood" method fixed 203.0.113.9
quietly --settings "Z:$flood" server "http://$ZELTO_TEST_FLOOD_EMULATOR"
said=$(cli --settings "Z:$flood" --once) && fail "--once against a flooding head exited 0"
[[ $said == *"-> no answer (the answer is too long)"* ]] || fail "--once against a flooding head: $said"
! grep -q $'^updatedip=[^\r]' "$flood" || fail "a failed exchange was recorded"

# A --headless whose request stalls holds dial-up switched off, also across a --once that runs and ends
# meanwhile. Killed, it leaves the value off; the next command that reads the settings puts the user's value
# back, a DWORD 2 as 2.
stalled=$work/stalled.ini
printf '[Zelto Systems Premium]\r\nnumofdomains=1\r\nsecond_level1=example\r\nfirst_level1=com\r\n' >"$stalled"
printf 'password1=secret12\r\nipmethod=3\r\none=192\r\nfour=1\r\nupdateserver=%s\r\n' "$ZELTO_TEST_KILLED_EMULATOR" >>"$stalled"
wine reg add "$internet" /v EnableAutodial /t REG_DWORD /d 2 /f >/dev/null
wine "$exe" --settings "Z:$stalled" --headless >/dev/null 2>&1 &
runner=$!
within 30 guard_on || true
expect_eq "EnableAutodial during a stalled request" 0x0 "$(autodial)"
quietly --settings "$settings" --once --force
expect_eq "EnableAutodial after another process's request" 0x0 "$(autodial)"
kill -9 $(pgrep -f "zelto-premium-cli.exe --settings Z:$stalled") "$runner" 2>/dev/null || true
wait "$runner" 2>/dev/null || true
expect_eq "EnableAutodial after the kill" 0x0 "$(autodial)"
quietly --settings "Z:$stalled" status
expect_eq "EnableAutodial after status" 0x2 "$(autodial)"

# Ctrl+C (as Ctrl+Break) and the console's close (as log-off and shut-down, which the handler takes alike)
# end --headless during a stalled request with exit code 0 and the dial-up setting put back. The helper sends
# them as a console does: Wine's own Ctrl+C, from SIGINT, starts the handler's thread inside a signal handler
# and now and then never does.
for event in c close; do
    wine reg add "$internet" /v EnableAutodial /t REG_DWORD /d 1 /f >/dev/null
    headless_until "$event" "Z:$stalled" guard_on
    expect_eq "EnableAutodial after $event" 0x1 "$(autodial)"
done

# The default location reads the original client's file from the Windows folder until the first change, and
# status names it: which every user can read, and how to delete it.
windows=$(wine cmd /c 'echo %WINDIR%' | tr -d '\r')
appdata=$(wine cmd /c 'echo %APPDATA%' | tr -d '\r')
original=$(winepath -u "$windows\\ZeltoPre.INI")
default=$(winepath -u "$appdata\\Zelto Premium\\ZeltoPre.INI")
rm -f "$default"
printf '[Zelto Systems Premium]\r\nnumofdomains=1\r\nfirst_level1=net\r\nsecond_level1=old\r\n' >"$original"
[[ $(cli status | head -n 1) == *"ZeltoPre.INI (not created yet; read from $windows\ZeltoPre.INI"* ]] ||
    fail "status before the take-over: $(cli status | head -n 1)"
quietly method server
[[ $(cli status) == *"Original client's file: $windows\\ZeltoPre.INI still holds the passwords"*"del "* ]] ||
    fail "status says nothing of the original's file: $(cli status)"
[[ $(cli status) == *"ZeltoPre.INI (other users of this machine can read it)"* ]] || fail "status: readable file"
chmod 600 "$default"
[[ $(cli status) != *"other users of this machine can read it"* ]] || fail "status: a private file"
rm -f "$original" "$default"

# --autostart puts the desktop program under the Run key and takes it out again.
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
quietly --autostart on
[[ $(wine reg query "$run" /v "Zelto Premium" 2>/dev/null) == *'zelto-premium.exe"'* ]] || fail "--autostart on"
quietly --autostart off
wine reg query "$run" /v "Zelto Premium" >/dev/null 2>&1 && fail "--autostart off left the value"

exit $((failures > 0))
