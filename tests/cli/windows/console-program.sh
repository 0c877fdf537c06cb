#!/usr/bin/env bash
# zelto-premium-cli.exe as a user runs it, under Wine in the test prefix (scripts/test-windows sets
# WINEPREFIX and starts the emulator, ZELTO_TEST_EMULATOR): configuring, registering through WinINet with
# the dial-up guard, taking over the original client's file, autostart, stopping --headless, and the DLLs it
# needs, one client per settings file, the command run on an address change. Usage: console-program.sh
# PROGRAM.exe OBJDUMP WRITE-PROFILE.exe CONSOLE-HELPER.exe TEST-HOOK.exe
set -Eeuo pipefail
# A command that fails outside a check ends the script: say which.
trap 'echo "FAILED: line $LINENO: $BASH_COMMAND exited with $?" >&2' ERR
exe=$1
objdump=$2
writer=$3
helper=$4
hook=$5
: "${ZELTO_TEST_EMULATOR:?run through scripts/test-windows, which starts the emulator}"
failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
expect_eq() { # WHAT EXPECTED ACTUAL
    [ "$2" == "$3" ] || fail "$1: expected [$2], got [$3]"
}
cli() { wine "$exe" "$@" 2>&1 | tr -d '\r'; }
# Waits for a program started in the background, at most SECONDS; one still running then is named and ended.
wait_for() { # PID SECONDS WHAT
    for _ in $(seq $(($2 * 10))); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$1" 2>/dev/null; then
        fail "$3 still running after $2 s"
        kill -9 "$1" 2>/dev/null || true
    fi
    wait "$1"
}
# --headless on SETTINGS under the helper, which sends the console EVENT once the command READY succeeds
# (within 30 s), after the command WHILE: it must end within a second with exit code 0.
headless_until() { # EVENT SETTINGS READY [WHILE]
    local sender ended took
    rm -f "$work/go" && mkfifo "$work/go"
    wine "$helper" event "$1" "$exe" --settings "$2" --headless <"$work/go" >"$work/event.log" 2>&1 &
    sender=$!
    exec 3>"$work/go"
    for _ in $(seq 60); do
        $3 && break
        sleep 0.5
    done
    $3 || fail "$1: --headless is not under way: $(tr -d '\r' <"$work/event.log")"
    ${4:-true}
    echo go >&3
    exec 3>&-
    wait_for "$sender" 20 "$1: the helper" || true
    ended=$(tr -d '\r' <"$work/event.log")
    took=$(sed -n 's/^ended 0 in \([0-9]*\) ms$/\1/p' <<<"$ended")
    [ -n "$took" ] && [ "$took" -lt 1000 ] || fail "$1: $ended"
}
# A command whose output matters only when it fails.
quietly() {
    local said
    said=$(cli "$@") || fail "$* exited with $?: $said"
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
settings="Z:$work/Zoë/ZeltoPre.INI"
internet='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
autodial() { wine reg query "$internet" /v EnableAutodial 2>/dev/null | tr -d '\r' | awk '/EnableAutodial/ {print $3}'; }

# Only DLLs that ship with Windows: the C++ runtime and winpthread are linked in.
dlls=$("$objdump" -p "$exe" | awk '/DLL Name/ {print tolower($3)}' | sort | xargs)
for dll in $dlls; do
    case $dll in
    kernel32.dll | msvcrt.dll | advapi32.dll | shell32.dll | ole32.dll | user32.dll | wininet.dll | crypt32.dll | \
        iphlpapi.dll | ws2_32.dll) ;;
    *) fail "needs $dll" ;;
    esac
done

# --help in Windows' words only.
help=$(cli --help)
for word in SIGINT SIGTERM "or root" /etc/ systemd journal "desktop client starts"; do
    [[ $help != *"$word"* ]] || fail "--help says $word"
done
[[ $help == *Ctrl+Break* && $help == *"event log"* && $help == *"service install"* ]] || fail "--help: $help"

# Configuring, in a folder whose name is not ASCII; new files have CRLF line ends.
expect_eq "domain add" "Domain example.com loaded." "$(echo secret12 | cli --settings "$settings" domain add example com)"
quietly --settings "$settings" method fixed 203.0.113.9
printf 'updateserver=%s\r\n' "$ZELTO_TEST_EMULATOR" >>"$work/Zoë/ZeltoPre.INI"
expect_eq "line ends" "[Zelto Systems Premium]"$'\r' "$(head -n 1 "$work/Zoë/ZeltoPre.INI")"

# --once registers through WinINet; the dial-up guard puts EnableAutodial back.
wine reg add "$internet" /v EnableAutodial /t REG_DWORD /d 1 /f >/dev/null
once=$(cli --settings "$settings" --once) || fail "--once exited with $?"
[[ $once == *"-> ip203.0.113.9"* ]] || fail "--once: $once"
expect_eq "EnableAutodial after --once" "0x1" "$(autodial)"
[[ $(cli --settings "$settings" status) == *"Last registration: 203.0.113.9"* ]] || fail "status after --once"
# From a scheduler: a second --once finds the fixed address registered and sends nothing.
expect_eq "a second --once" "exit 0" "$(cli --settings "$settings" --once; echo "exit $?")"
# A wait after failures: --once inside it sends nothing, says so in one line and exits 1, status and check
# show it, and the user's fix of the update server ends it at once.
failing="Z:$work/failing.ini"
echo secret12 | quietly --settings "$failing" domain add example com
quietly --settings "$failing" method fixed 203.0.113.9
quietly --settings "$failing" server 127.0.0.1:1
cli --settings "$failing" --once >/dev/null && fail "--once against a closed port exited 0"
waiting=$(cli --settings "$failing" --once) && fail "--once inside the wait exited 0"
[[ $waiting == *": Waiting after failures: 1 failed pass, at "*"--once --force sends now" ]] ||
    fail "--once inside the wait: $waiting"
[[ $(cli --settings "$failing" status) == *"Waiting after failures: 1 failed pass"* ]] || fail "status inside the wait"
code=0
wine "$exe" --settings "$failing" check >/dev/null 2>&1 || code=$?
expect_eq "check inside the wait" 2 "$code"
quietly --settings "$failing" server "$ZELTO_TEST_EMULATOR"
[[ $(cli --settings "$failing" --once) == *"-> ip203.0.113.9"* ]] || fail "--once after the fix"
# A registration of a new address that the file cannot take (marked read-only): a later status and check still
# tell it, until a record is written.
quietly --settings "$failing" method fixed 203.0.113.10
chmod a-w "$work/failing.ini"
cli --settings "$failing" --once --force >/dev/null && fail "--once with an unwritable file exited 0"
[[ $(cli --settings "$failing" status) == *"Unrecorded registration: registered 203.0.113.10 at "*", but it could not be recorded: could not write "* ]] ||
    fail "status of an unrecorded registration: $(cli --settings "$failing" status)"
code=0
wine "$exe" --settings "$failing" check >/dev/null 2>&1 || code=$?
expect_eq "check of an unrecorded registration" 1 "$code"
chmod u+w "$work/failing.ini"
quietly --settings "$failing" --once --force
[[ $(cli --settings "$failing" status) != *"Unrecorded registration"* ]] || fail "status after a record was written"

# The hook runs once per change of the registered address, across runs, and not when a forced run registers
# the same address again; it prints its arguments and ZELTO_ADDRESS into the log.
cp "$hook" "$work/hook.exe"
quietly --settings "$settings" hook set "Z:$work/hook.exe"
for address in 203.0.113.1 203.0.113.1 203.0.113.2; do
    quietly --settings "$settings" method fixed $address
    cli --settings "$settings" --once --force >>"$work/hook.log" || fail "--once with the hook exited with $?"
done
expect_eq "hook runs" $'203.0.113.1|203.0.113.9|203.0.113.1\n203.0.113.2|203.0.113.1|203.0.113.2' \
    "$(sed -n 's/^.* hook .* -> \(.*|.*\)$/\1/p' "$work/hook.log")"
[[ $(cli --settings "$settings" status) == *"Hook: Z:$work/hook.exe (last run "*": done)"* ]] ||
    fail "status does not tell the hook's last run"
said=$(cli --settings "$settings" hook set "Z:$work/missing.exe") && fail "hook set took a missing file"
[[ $said == *"hook not set: could not be started: "* ]] || fail "hook set, missing file: $said"
quietly --settings "$settings" hook clear
# No input at all (NUL, which the C runtime counts as a terminal) is told as such.
said=$(cli --settings "Z:$work/noinput.ini" domain add example com </dev/null) && fail "domain add without input exited 0"
[[ $said == *"no password on standard input"* ]] || fail "domain add without input: $said"
quietly --settings "$settings" method fixed 203.0.113.9

# --headless ends on Ctrl+C within a second, with exit code 0. The helper sends it as a console does: Wine's
# own Ctrl+C, from SIGINT, starts the handler's thread inside a signal handler and now and then never does.
registered() { grep -q "ip203.0.113.9" "$work/event.log"; }
# One client per settings file: a second one names the running one and ends at once.
second_headless() {
    local second
    second=$(timeout 30 wine "$exe" --settings "$settings" --headless 2>&1 | tr -d '\r') && fail "a second --headless ran"
    [[ $second == *"(process "*", --headless)"* ]] || fail "a second --headless: $second"
}
headless_until c "$settings" registered second_headless

# The original client's file, written by its ANSI profile function: the Windows-1252 bytes of a label and a
# password are shown as their characters, sent as they are (the emulator knows the account by those bytes
# only) and removed by typing them.
ansi="Z:$work/ansi.ini"
wine "$writer" "$ansi" numofdomains 1 second_level1 Müller first_level1 com password1 päss1234 ipmethod 3 \
    one 192 two 0 three 2 four 1 updateserver "$ZELTO_TEST_EMULATOR"
expect_eq "the original's bytes" "M"$'\xfc'"ller" "$(sed -n 's/^second_level1=//p' "$work/ansi.ini" | tr -d '\r')"
# Into a pipe the console program writes the ANSI code page.
expect_eq "domain list" "Domain Müller.com loaded." "$(cli --settings "$ansi" domain list | iconv -f CP1252)"
[[ $(cli --settings "$ansi" --once) == *"-> ip192.0.2.1"* ]] || fail "--once with the original's bytes"
expect_eq "domain remove" "No Domains Loaded!" "$(echo päss1234 | cli --settings "$ansi" domain remove Müller com)"

# A password typed at a console is read in the console's code page (850 here) and stored in the ANSI code
# page (1252), as one given as an argument is; a character that page cannot hold is refused by name and
# number, which a pipe in that page shows when it cannot show the character.
typed=$work/typed.ini
while read -r how password expected; do
    rm -f "$typed"
    status=0
    if [ "$how" == typed ]; then
        # Into a file: the console the helper makes may hold a pipe open after the helper has ended.
        wine "$helper" type 850 "$password" "$exe" --settings "Z:$typed" domain add example com >"$work/typed.log" 2>&1 ||
            status=$?
        said=$(tr -d '\r' <"$work/typed.log" | iconv -f CP850)
    else
        said=$(cli --settings "Z:$typed" domain add example com "$password") || status=$?
    fi
    stored=$(sed -n 's/^password1=//p' "$typed" 2>/dev/null | tr -d '\r' | iconv -f CP1252 || true)
    case $expected in
    refused) [[ $status == 1 && -z $stored && $said == *U+0131* ]] || fail "$how $password: exit $status, $said" ;;
    *) expect_eq "$how $password" "$expected" "$stored" ;;
    esac
done <<'PASSWORDS'
typed pässwö12 pässwö12
typed pass1ı23 refused
argument pässwö12 pässwö12
argument pass1ı23 refused
PASSWORDS

# A head of 200 KB, a head that floods memory and a redirect loop are no answer, said as such, and nothing
# is recorded.
flood=$work/flood.ini
echo secret12 | cli --settings "Z:$flood" domain add example com >/dev/null
quietly --settings "Z:$flood" method fixed 203.0.113.9
while IFS='|' read -r server why; do
    quietly --settings "Z:$flood" server "http://$server"
    said=$(cli --settings "Z:$flood" --once --force) && fail "--once against $server exited 0"
    [[ $said == *"-> no answer ($why)"* ]] || fail "--once against $server: $said"
done <<SERVERS
$ZELTO_TEST_LONGHEAD_EMULATOR|the answer is too long
$ZELTO_TEST_FLOOD_EMULATOR|the answer is too long
$ZELTO_TEST_LOOP_EMULATOR|too many redirects
SERVERS
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
for _ in $(seq 60); do
    [ "$(autodial)" == 0x0 ] && break
    sleep 0.5
done
expect_eq "EnableAutodial during a stalled request" 0x0 "$(autodial)"
quietly --settings "$settings" --once --force
expect_eq "EnableAutodial after another process's request" 0x0 "$(autodial)"
kill -9 $(pgrep -f "zelto-premium-cli.exe --settings Z:$stalled") "$runner" 2>/dev/null || true
wait "$runner" 2>/dev/null || true
expect_eq "EnableAutodial after the kill" 0x0 "$(autodial)"
quietly --settings "Z:$stalled" status
expect_eq "EnableAutodial after status" 0x2 "$(autodial)"

# Ctrl+Break, the console's close, log-off and shut-down end --headless during a stalled request the same
# way, with the dial-up setting put back.
sed -i "s/^updateserver=.*/updateserver=$ZELTO_TEST_KILLED_EMULATOR\r/" "$stalled"
guard_on() { [ "$(autodial)" == 0x0 ]; }
for event in break close logoff shutdown; do
    wine reg add "$internet" /v EnableAutodial /t REG_DWORD /d 1 /f >/dev/null
    headless_until "$event" "Z:$stalled" guard_on
    expect_eq "EnableAutodial after $event" 0x1 "$(autodial)"
done

# A settings file over 1 MiB is refused before anything reads, writes or sends: the message names the file,
# the exit code is 1 (check: 3, on standard output) and the file stays. That every command refuses it is the
# Linux suite's (SettingsRefusalTest); here the Windows file layer finds it too large. A first failure ends the
# table: a file read as empty names the built-in server.
large=$work/large.ini
printf '[Zelto Systems Premium]\r\n' >"$large"
head -c $((2 << 20)) /dev/zero | tr '\0' ';' >>"$large"
before=$(md5sum <"$large")
while read -r expected command; do
    status=0
    said=$(timeout 30 wine "$exe" --settings "Z:$large" $command </dev/null 2>&1 | tr -d '\r') || status=$?
    [ "$status" == "$expected" ] && [[ $said == *"large.ini is larger than"* ]] ||
        { fail "$command on a 2 MB file: exit $status, $said" && break; }
done <<'COMMANDS'
1 domain list
3 check
1 --once
COMMANDS
expect_eq "the 2 MB file" "$before" "$(md5sum <"$large")"
[ "$(ls "$work" | grep -c '^large')" == 1 ] || fail "a refused command left files: $(ls "$work")"

# status --json is ASCII whatever the console's code page, and cafile is stored as an absolute path.
many=$work/many.ini
printf '[Zelto Systems Premium]\r\nnumofdomains=1\r\nsecond_level1=m\xfcller\r\nfirst_level1=de\r\n' >"$many"
json=$(cli --settings "Z:$many" status --json)
[[ $json == *'"m\u00fcller.de"'* ]] && ! LC_ALL=C grep -q '[^ -~]' <<<"$json" || fail "status --json: $json"
printf -- '-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n' >"$work/ca.pem"
(cd "$work" && wine "$exe" --settings "Z:$many" cafile ca.pem >/dev/null 2>&1) || fail "cafile ca.pem refused"
expect_eq "cafile stored" "cafile=$(winepath -w "$work/ca.pem")" "$(grep -a '^cafile=' "$many" | tr -d '\r')"
rm -f "$many" "$work/ca.pem"

# The default location takes over the original client's file from the Windows folder, and leaves it alone.
windows=$(wine cmd /c 'echo %WINDIR%' | tr -d '\r')
appdata=$(wine cmd /c 'echo %APPDATA%' | tr -d '\r')
original=$(winepath -u "$windows\\ZeltoPre.INI")
default=$(winepath -u "$appdata\\Zelto Premium\\ZeltoPre.INI")
rm -f "$default"
content='[Zelto Systems Premium]\r\nnumofdomains=1\r\n; kept\r\nfirst_level1=net\r\nsecond_level1=old\r\n'
printf "$content" >"$original"
before=$(md5sum <"$original")
[[ $(cli domain list) == *"old.net"* ]] || fail "a read does not see the original's file"
[ ! -e "$default" ] || fail "a read created $default"
[[ $(cli status | head -n 1) == *"ZeltoPre.INI (not created yet; read from $windows\ZeltoPre.INI"* ]] ||
    fail "status before the take-over: $(cli status | head -n 1)"
quietly method server
expect_eq "taken-over file" "$(printf "${content}ipmethod=0\r\nipaddress=\r\nupdatedip=\r\n" | od -c)" "$(od -c <"$default")"
expect_eq "original's file" "$before" "$(md5sum <"$original")"
# status names the original's file, which every user can read, and says of the settings file who can.
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
expect_eq "--autostart off" 'Autostart off: removed HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run\Zelto Premium' \
    "$(cli --autostart off)"
wine reg query "$run" /v "Zelto Premium" >/dev/null 2>&1 && fail "--autostart off left the value"

exit $((failures > 0))
