#!/usr/bin/env bash
# Checks of the installed tree: check-install.sh STEP BUILD_DIR DESTDIR. install: cmake --install into DESTDIR,
# which the other steps read; layout: every file where desktops, systemd, man and bash look for it; desktop,
# units (exit 77 without systemd-analyze: a skip, and a failure of scripts/test under CI), man, completion and
# hardening (full RELRO, stack protector, fortified calls, PIE) run the tools that judge each.
set -euo pipefail
step=$1 build=$2 destdir=$(realpath -m "$3")
# The programs find their modules under the prefix they were configured for (/usr for the package).
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:[A-Z]*=//p' "$build/CMakeCache.txt")
usr=$destdir$prefix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

case $step in
install)
    rm -rf "$destdir"
    DESTDIR=$destdir cmake --install "$build" >/dev/null
    ;;

layout)
    expected=(
        bin/zelto-premium libexec/zelto-premium/zelto-service-emulator lib/zelto-premium/libzelto-{desktop,curl}.so
        share/applications/zelto-premium.desktop share/icons/hicolor/scalable/apps/zelto-premium.svg
        share/icons/hicolor/{16x16,32x32,48x48,128x128}/apps/zelto-premium.png
        share/man/man1/zelto-premium.1.gz share/bash-completion/completions/zelto-premium
        share/doc/zelto-premium/README.md lib/systemd/{user,system}/zelto-premium.service
        lib/{sysusers,tmpfiles}.d/zelto-premium.conf
    )
    for file in "${expected[@]}"; do
        [ -f "$usr/$file" ] || fail "missing $prefix/$file"
    done
    extra=$(cd "$destdir" && find . -type f | sed "s|^\./${prefix#/}/||" | sort | comm -23 - <(printf '%s\n' "${expected[@]}" | sort))
    [ -z "$extra" ] || fail "unexpected files: $extra"
    [ -x "$usr/bin/zelto-premium" ] || fail "zelto-premium is not executable"
    for size in 16 32 48 128; do
        file -b "$usr/share/icons/hicolor/${size}x$size/apps/zelto-premium.png" | grep -q "PNG image data, $size x $size" ||
            fail "the ${size}px icon is not ${size}x$size"
    done
    for unit in "user --headless" "system --settings /etc/zelto-premium/ZeltoPre.INI --headless"; do
        file=$usr/lib/systemd/${unit%% *}/zelto-premium.service
        grep -qx "ExecStart=$prefix/bin/zelto-premium ${unit#* }" "$file" || fail "${unit%% *} unit: ExecStart"
        grep -qx 'LimitCORE=0' "$file" || fail "${unit%% *} unit: core files"
    done
    ! grep -q '@' <<<"$(zcat "$usr/share/man/man1/zelto-premium.1.gz")" || fail "man page: a placeholder was left"
    ;;

desktop)
    desktop-file-validate "$usr/share/applications/zelto-premium.desktop"
    # The autostart entry of its own (nothing installed where it looks), and the installed one passing an
    # awkward settings path.
    export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/none
    autostart() {
        (cd "$work" && XDG_DATA_DIRS=$1 "$usr/bin/zelto-premium" "${@:2}" --autostart on >/dev/null)
        local entry=$work/config/autostart/zelto-premium.desktop
        desktop-file-validate "$entry" || fail "autostart entry: $(cat "$entry")"
        # It starts the program that wrote it, wherever that lies.
        grep -q "^Exec=\"$usr/bin/zelto-premium\"" "$entry" || fail "autostart entry without the program: $(cat "$entry")"
    }
    autostart "$work/none"
    autostart "$usr/share" --settings "my settings/\$HOME \"100%\" \\.INI"
    ;;

units)
    if ! command -v systemd-analyze >/dev/null; then
        echo "systemd-analyze is not installed (package systemd); units not verified"
        exit 77
    fi
    # verify checks that ExecStart exists and that man finds the Documentation= page: point both at the
    # installed tree.
    mkdir -m 700 "$work/runtime"
    export MANPATH=$usr/share/man XDG_RUNTIME_DIR=$work/runtime
    # The system unit stays hardened: an exposure of at most 2.0 on systemd's 0-10 scale (given in tenths). The
    # user unit cannot use what needs a system manager (User=, mount namespaces, capabilities); it keeps what
    # seccomp gives it: at most 7.0.
    for row in "system 20" "user 70"; do
        manager=${row% *} threshold=${row#* } unit=$work/${row% *}/zelto-premium.service
        mkdir -p "$work/$manager"
        sed "s|^ExecStart=$prefix/bin/|ExecStart=$usr/bin/|" "$usr/lib/systemd/$manager/zelto-premium.service" >"$unit"
        said=$(systemd-analyze verify "--$manager" "$unit" 2>&1) && [ -z "$said" ] || fail "$manager unit: $said"
        systemd-analyze security --offline=true "--$manager" --threshold="$threshold" "$unit" >/dev/null ||
            fail "$manager unit: $(systemd-analyze security --offline=true "--$manager" "$unit" | tail -1)"
    done
    ;;

man)
    page=$usr/share/man/man1/zelto-premium.1.gz
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man: $warnings"
    ;;

completion)
    script=$usr/share/bash-completion/completions/zelto-premium
    bash -n "$script"
    program=$usr/bin/zelto-premium
    for ip in 10.0.0.1 192.168.1.1; do "$program" --settings "$work/ZeltoPre.INI" ignore add $ip >/dev/null; done
    mkdir "$work/files"
    touch "$work/files/ZeltoPre.INI" "$work/files/other.INI"
    # shellcheck disable=SC1090
    source "$script"
    complete -p zelto-premium | grep -q -- '-F _zelto_premium' || fail "completion: not registered"
    # Each case: the expected candidates, sorted and joined by spaces, then the words typed; the last word
    # is the one being completed.
    check() {
        local want=$1
        shift
        COMP_WORDS=("$@")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        COMPREPLY=()
        _zelto_premium
        local got
        got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' ')
        [ "$got" = "$want" ] || fail "completion of '$*': got '$got', expected '$want'"
    }
    check "--autostart --headless --help --once --settings --version cafile check domain force-update hook ignore method server status website" \
        zelto-premium ""
    check "--headless --help" zelto-premium --he
    check "off" zelto-premium --settings=x --autostart of
    check "add list remove" zelto-premium --settings "$work/ZeltoPre.INI" ignore ""
    check "$work/files/ZeltoPre.INI $work/files/other.INI" zelto-premium --settings "$work/files/"
    check "$work/files/other.INI" zelto-premium --settings = "$work/files/o"
    check "--settings=$work/files/other.INI" zelto-premium "--settings=$work/files/o"
    check "10.0.0.1 192.168.1.1" "$program" --settings "$work/ZeltoPre.INI" ignore remove ""
    check "192.168.1.1" "$program" --settings = "$work/ZeltoPre.INI" ignore remove 19
    touch "$work/files/s3cret1"
    check "" zelto-premium --settings "$work/ZeltoPre.INI" domain add example com ""
    check "" zelto-premium domain remove example com s3
    (cd "$work/files" && check "" zelto-premium domain add example com s3)
    ;;

hardening)
    mapfile -t files < <(find "$usr/bin" "$usr/libexec" "$usr/lib/zelto-premium" -type f 2>/dev/null | sort)
    [ ${#files[@]} -ge 3 ] || fail "hardening: found only ${files[*]}"
    # A program that links the C++ runtime in also carries the runtime's own calls, which Debian builds
    # without _FORTIFY_SOURCE: those, and only those, may stay plain there.
    runtime_plain=$(nm -u "$(g++ -print-file-name=libstdc++.a)" 2>/dev/null | awk '{print $2}' |
        grep -xE "v?s?n?printf|v?fprintf" | sort -u || true)
    for file in "${files[@]}"; do
        name=${file#"$destdir"}
        readelf -lW "$file" | grep -q GNU_RELRO || fail "$name: no RELRO"
        readelf -d "$file" | grep -q "(FLAGS).*BIND_NOW" || fail "$name: relocations not bound at start (-z now)"
        imports=$(nm -D --undefined-only "$file" | awk '{print $2}' | sed 's/@.*//')
        grep -qx __stack_chk_fail <<<"$imports" || fail "$name: built without the stack protector"
        # With _FORTIFY_SOURCE=2 every call of the printf family becomes its checked variant.
        plain=$(grep -xE "v?s?n?printf|v?fprintf" <<<"$imports" || true)
        if ! readelf -d "$file" | grep -q 'NEEDED.*libstdc++' && [ -n "$runtime_plain" ]; then
            plain=$(grep -vxF "$runtime_plain" <<<"$plain" || true)
        fi
        plain=$(paste -sd ' ' <<<"$plain")
        [ -z "$plain" ] || fail "$name: unfortified calls: $plain"
        [[ $file == *.so ]] || readelf -d "$file" | grep -q "(FLAGS_1).*PIE" || fail "$name: not a position-independent executable"
    done
    grep -qE '^__[a-z]+_chk$' < <(nm -D --undefined-only "$usr/bin/zelto-premium" | awk '{print $2}' | sed 's/@.*//' |
        grep -v __stack_chk_fail) || fail "$prefix/bin/zelto-premium: built without _FORTIFY_SOURCE"
    ;;

*)
    fail "unknown step $step"
    ;;
esac
