#!/usr/bin/env bash
# Checks of the Debian package: check-deb.sh STEP BUILD_DIR [DESTDIR]
#   build  cpack on the existing build; the package's name, files (those installed into DESTDIR), control
#          fields and maintainer scripts
#   run    the package unpacked into a throwaway root (dpkg -x), its programs run from there
set -euo pipefail
step=$1 build=$(cd "$2" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:[A-Z]*=//p' "$build/CMakeCache.txt")
deb=$build/package/zelto-premium_${version}_$(dpkg --print-architecture).deb

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

case $step in
build)
    rm -f "$deb"
    (cd "$build" && cpack --config CPackConfig.cmake >/dev/null)
    [ -f "$deb" ] || fail "cpack made no $deb"
    # Exactly the files of the install that check-install.sh checks.
    files=$(dpkg-deb -c "$deb" | awk '{print $NF}' | grep -v '/$' | sed 's|^\./||' | sort)
    [ "$files" = "$(cd "$3" && find . -type f | sed 's|^\./||' | sort)" ] || fail "package files: $files"
    [ "$(dpkg-deb -f "$deb" Package)" = zelto-premium ] || fail "Package field"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version field"
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libc6 libstdc++6 libcurl4 libqt6widgets6 libsndfile1 libasound2; do
        grep -q "\b$library (>= " <<<"$depends" || fail "Depends has no versioned $library: $depends"
    done
    control=$(mktemp -d)
    trap 'rm -rf "$control"' EXIT
    dpkg-deb -e "$deb" "$control"
    for script in postinst prerm postrm; do
        [ -x "$control/$script" ] || fail "no executable $script"
        sh -n "$control/$script"
    done
    ;;

run)
    [ -f "$deb" ] || fail "no $deb; run the build step first"
    root=$(mktemp -d)
    trap 'rm -rf "$root"' EXIT
    dpkg -x "$deb" "$root"
    program=$root$prefix/bin/zelto-premium
    # The unpacked programs run on the system's libraries, as they would once installed.
    unset LD_LIBRARY_PATH
    modules=("$root$prefix"/lib/zelto-premium/libzelto-{desktop,curl}.so)
    emulator=$root$prefix/libexec/zelto-premium/zelto-service-emulator
    if ldd "$program" "${modules[@]}" "$emulator" | grep -q "not found"; then
        fail "a library is missing: $(ldd "$program" "${modules[@]}" | grep "not found")"
    fi
    # The command line runs without Qt and libcurl. An unpacked copy looks for the desktop module only where
    # the package installs it; when the package is installed there, the module answers that there is no
    # display.
    ! ldd "$program" | grep -q "libQt6\|libcurl" || fail "zelto-premium links Qt or libcurl: $(ldd "$program")"
    answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --settings "$root/none.INI" 2>&1) &&
        fail "the tray client started without a display"
    grep -q "no display for the tray client\|not installed ($prefix/lib/zelto-premium/libzelto-desktop.so: " <<<"$answer" ||
        fail "the desktop module was looked for elsewhere: $answer"
    [ "$("$program" --version)" = "zelto-premium $version" ] || fail "--version: $("$program" --version)"
    # Whole, not through a pipe: grep -q leaves at its match, and the rest of the text would meet a closed pipe.
    grep -q -- "--autostart" <<<"$("$program" --help)" || fail "--help"
    settings=$root/ZeltoPre.INI
    [ "$(echo secret1 | "$program" --settings "$settings" domain add example com)" = "Domain example.com loaded." ] ||
        fail "domain add"
    grep -qx "password1=secret1" "$settings" || fail "the settings file was not written"
    "$emulator" --help >/dev/null || fail "zelto-service-emulator --help"
    [ ! -e "$root$prefix/bin/zelto-service-emulator" ] || fail "the service emulator is on PATH"
    ;;

*)
    fail "unknown step $step"
    ;;
esac
