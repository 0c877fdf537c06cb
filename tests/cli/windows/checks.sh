# Sourced by the checks of zelto-premium-cli.exe ($exe) under Wine: a failed check is said and counted, a
# command that fails outside a check ends the script and says which; `within` waits as the Win32 checks do.
source "$(dirname "${BASH_SOURCE[0]}")/../../win32/checks.sh"
trap 'echo "FAILED: line $LINENO: $BASH_COMMAND exited with $?" >&2' ERR
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
expect_eq() { # WHAT EXPECTED ACTUAL
    [ "$2" == "$3" ] || fail "$1: expected [$2], got [$3]"
}
cli() { wine "$exe" "$@" 2>&1 | tr -d '\r'; }
# A command whose output matters only when it fails.
quietly() {
    local said
    said=$(cli "$@") || fail "$* exited with $?: $said"
}
