#!/usr/bin/env bash
# The real desktop program under Wine, on the display and against the emulator scripts/test-windows provides
# (ZELTO_TEST_EMULATOR, DISPLAY): a run with a domain (splash, icon, registers, tooltip, a second start hands
# over, the tray menu's Exit). The decisions, the first run's among them, are the C++ tests'.
# Usage: check-desktop-program.sh ZELTO_PREMIUM_EXE
set -euo pipefail
program=$(realpath "$1")
: "${ZELTO_TEST_EMULATOR:?address of the emulator}" "${DISPLAY:?a display}"
source "$(dirname "$0")/../../scripts/wine-desktop"
source "$(dirname "$0")/checks.sh"

work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

window_named() { xdotool search --name "^$1\$" >/dev/null; }
ended() { ! kill -0 "$pid" 2>/dev/null; }

start() { # SETTINGS_FILE LOG
    wine "$program" --settings "$(winepath -w "$1")" >"$2" 2>&1 &
    pid=$!
}

# Icons of programs that ran before on this display leave the tray first.
no_icons() { test "$(docked_icons)" -eq 0; }
within 10 no_icons || true
docked_before=$(docked_icons)

# With a domain and a fixed address: one registration at start.
mkdir -p "$work/client"
printf '[Zelto Systems Premium]\r\nnumofdomains=1\r\nfirst_level1=com\r\nsecond_level1=example\r\npassword1=secret12\r\nipmethod=3\r\none=203\r\ntwo=0\r\nthree=113\r\nfour=7\r\nupdateserver=%s\r\n' \
    "$ZELTO_TEST_EMULATOR" >"$work/client/ZeltoPre.INI"
# Wine shows the program's debugger output (where the tooltip goes too) on its "seh" channel.
WINEDEBUG=-all,warn+seh start "$work/client/ZeltoPre.INI" "$work/client.log"
check "splash window of 300 x 230 shown" within 20 visible_window_of_size 300x230
check "icon docked in the notification area" within 10 test "$(docked_icons)" -gt "$docked_before"
check "registered: update record written" within 30 grep -q 'updatedip=203.0.113.7' "$work/client/ZeltoPre.INI"
check "tooltip shows the registered address" \
    within 10 grep -q 'tooltip: Zelto Premium Online! IP Address->203.0.113.7' "$work/client.log"

# A second start on the same file hands over: the running program opens Properties, the second ends with 0.
wine "$program" --settings "$(winepath -w "$work/client/ZeltoPre.INI")" >"$work/again.log" 2>&1 &
again=$!
wait "$again" && code=0 || code=$?
check "a second start hands over and ends with 0" test "$code" -eq 0
check "the running program opens Properties" within 20 window_named "Zelto Premium Client Properties"
check "the running program goes on" kill -0 "$pid"
# OK closes it as it was.
properties=$(xdotool search --name '^Zelto Premium Client Properties$' | head -n1)
xdotool windowfocus --sync "$properties" key Return 2>/dev/null || true
no_properties() { ! window_named "Zelto Premium Client Properties"; }
within 10 no_properties || true

# Exit from the tray menu: a right click on the docked icon, then the menu's last item.
icon=$(xwininfo -tree -id "$(tray_panel)" | awk '/"explorer.exe"/ {print $1; exit}')
visible_windows() { { xdotool search --onlyvisible --classname zelto-premium.exe 2>/dev/null || true; } | sort; }
windows_before=$(visible_windows)
xdotool mousemove --window "$icon" 8 8 click 3
menu_appeared() { [ -n "$(comm -13 <(echo "$windows_before") <(visible_windows))" ]; }
check "tray menu opens on a right click" within 5 menu_appeared
menu=$(comm -13 <(echo "$windows_before") <(visible_windows) | head -n1)
eval "$(xdotool getwindowgeometry --shell "$menu")"
xdotool mousemove --window "$menu" 10 $((HEIGHT - 8)) click 1
check "Exit ends the program" within 5 ended
wait "$pid" && code=0 || code=$?
pid=""
check "exit code 0 after Exit" test "$code" -eq 0
check "icon gone after Exit" within 5 test "$(docked_icons)" -eq "$docked_before"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
