#!/usr/bin/env bash
# Checks of the Debian packages: check-deb.sh STEP BUILD_DIR [DESTDIR]
#   build  cpack on the existing build; the packages' files (together those installed into DESTDIR, plus each
#          one's copyright and changelog), their dependencies and maintainer scripts
#   run    the server package alone unpacked into a throwaway root (dpkg -x), its programs run from there: the
#          desktop client names the package it lacks, and the command line registers a domain with the
#          emulator; a package of another architecture runs under qemu-user
set -euo pipefail
step=$1 build=$(cd "$2" && pwd)
source=$(cd "$(dirname "$0")/../.." && pwd)
version=$(dpkg-parsechangelog -l "$source/packaging/debian/changelog" -S Version)
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:[A-Z]*=//p' "$build/CMakeCache.txt")
arch=$(sed -n 's/^ZELTO_DEBIAN_ARCH:[A-Z]*=//p' "$build/CMakeCache.txt")
arch=${arch:-$(dpkg --print-architecture)}
server=$build/package/zelto-premium_${version}_$arch.deb
desktop=$build/package/zelto-premium-desktop_${version}_$arch.deb
# A build without the desktop client (-DZELTO_DESKTOP=OFF) makes the server package alone.
grep -qx "ZELTO_DESKTOP:BOOL=OFF" "$build/CMakeCache.txt" && desktop=

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

case $step in
build)
    packages=("$server" ${desktop:+"$desktop"})
    rm -f "${packages[@]}"
    (cd "$build" && cpack --config CPackConfig.cmake >/dev/null)
    for deb in "${packages[@]}"; do
        [ -f "$deb" ] || fail "cpack made no $deb"
    done
    # Together exactly the files of the install that check-install.sh checks, plus the Debian documents.
    files() { for deb in "$@"; do dpkg-deb -c "$deb" | awk '{print $NF}' | grep -v '/$' | sed 's|^\./||'; done; }
    docs=$(for deb in "${packages[@]}"; do
        printf "${prefix#/}/share/doc/$(dpkg-deb -f "$deb" Package)/%s\n" copyright changelog.Debian.gz
    done)
    [ "$(files "${packages[@]}" | sort)" = "$({ (cd "$3" && find . -type f | sed 's|^\./||'); echo "$docs"; } | sort)" ] ||
        fail "package files: $(files "${packages[@]}")"
    ! grep -q "libzelto-desktop\|applications/\|icons/" <<<"$(files "$server")" || fail "the server package holds the desktop client"

    depends=$(dpkg-deb -f "$server" Depends)
    for library in libc6 libcurl4; do
        grep -q "\b$library (>= " <<<"$depends" || fail "Depends has no versioned $library: $depends"
    done
    ! grep -qiE "qt|x11|xcb|xkb|wayland|libgl|libegl|opengl|vulkan|asound|sndfile|pulse" <<<"$depends" ||
        fail "the server package pulls a GUI or sound library: $depends"
    control=$(mktemp -d)
    trap 'rm -rf "$control"' EXIT
    dpkg-deb -e "$server" "$control"
    for script in postinst prerm postrm; do
        [ -x "$control/$script" ] || fail "no executable $script"
        sh -n "$control/$script"
    done
    [ -n "$desktop" ] || exit 0
    depends=$(dpkg-deb -f "$desktop" Depends)
    grep -q "\bzelto-premium (= $version)" <<<"$depends" || fail "the desktop package needs its server package: $depends"
    for library in libqt6widgets6 libsndfile1 libasound2; do
        grep -q "\b$library (>= " <<<"$depends" || fail "desktop Depends has no versioned $library: $depends"
    done
    # The single package of before, which held the desktop files, is broken and replaced by the desktop package.
    for field in Breaks Replaces; do
        relation=$(dpkg-deb -f "$desktop" "$field")
        [[ $relation =~ ^zelto-premium\ \(\<\<\ (.*)\)$ ]] && dpkg --compare-versions 3.4.0 lt "${BASH_REMATCH[1]}" ||
            fail "the desktop package's $field does not cover zelto-premium 3.4.0: $relation"
    done
    ;;

run)
    [ -f "$server" ] || fail "no $server; run the build step first"
    work=$(mktemp -d)
    emulator_pid=
    trap '[ -n "$emulator_pid" ] && kill "$emulator_pid" 2>/dev/null; rm -rf "$work"' EXIT
    root=$work/root
    dpkg -x "$server" "$root"
    run=()
    if [ "$arch" != "$(dpkg --print-architecture)" ]; then
        run=("qemu-$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_CPU 2>/dev/null)-static")
        command -v "${run[0]}" >/dev/null || fail "${run[0]} is not installed (scripts/install-deps --arch $arch)"
    fi
    program=$root$prefix/bin/zelto-premium
    emulator=$root$prefix/libexec/zelto-premium/zelto-service-emulator
    # The unpacked programs run on the system's libraries, as they would once installed.
    unset LD_LIBRARY_PATH
    if [ ${#run[@]} -eq 0 ]; then
        if grep -q "not found" <<<"$(ldd "$program" "$root$prefix/lib/zelto-premium/libzelto-curl.so" "$emulator")"; then
            fail "a library is missing: $(ldd "$program" "$emulator" | grep "not found")"
        fi
        ! grep -q "libQt6\|libcurl" <<<"$(ldd "$program")" || fail "zelto-premium links Qt or libcurl: $(ldd "$program")"
    fi
    zelto() { "${run[@]}" "$program" --settings "$work/ZeltoPre.INI" "$@"; }
    [ "$(zelto --version)" = "zelto-premium ${version%-*}" ] || fail "--version: $(zelto --version)"
    # An unpacked copy looks for the desktop module only where the package installs it: there it is missing,
    # unless the desktop package is installed on this machine, and then it answers that there is no display.
    answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${run[@]}" "$program" --settings "$work/ZeltoPre.INI" 2>&1) &&
        fail "the tray client started without a display"
    [ "$answer" = "zelto-premium: the desktop client is not installed: install the package zelto-premium-desktop, or use --headless or --once" ] ||
        { [ -e "$prefix/lib/zelto-premium/libzelto-desktop.so" ] && grep -q "no display for the tray client" <<<"$answer"; } ||
        fail "without the desktop package: $answer"

    coproc emulator_process { exec "${run[@]}" "$emulator" --lifetime 120 --account example.com:secret1; }
    emulator_pid=$emulator_process_PID
    read -r -t 60 word port <&"${emulator_process[0]}" && [ "$word" = port ] || fail "the emulator did not start"
    printf '[Zelto Systems Premium]\nupdateserver=127.0.0.1:%s\n' "$port" >"$work/ZeltoPre.INI"
    [ "$(echo secret1 | zelto domain add example com)" = "Domain example.com loaded." ] || fail "domain add"
    once=$(zelto --once 2>&1) || fail "--once: $once"
    grep -q "update.asp?.* -> ip127.0.0.1$" <<<"$once" || fail "--once did not register: $once"
    [ ! -e "$root$prefix/bin/zelto-service-emulator" ] || fail "the service emulator is on PATH"
    ;;

*)
    fail "unknown step $step"
    ;;
esac
