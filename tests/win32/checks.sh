# Sourced by the Windows programs' checks: counts and reports each check; the caller reports the counts.
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
# Wine tells no other process when a window, a file or a registry value appears: COMMAND is asked again
# every 0.1 s, for at most SECONDS.
within() { # SECONDS COMMAND...
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}
