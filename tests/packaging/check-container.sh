#!/usr/bin/env bash
# The container image run against the service emulator on 127.0.0.1, as its users run it:
# check-container.sh ARCHIVE IMAGE EMULATOR
# A domain added on the volume, one --once that registers, the health check, and --headless registering, then
# stopped by SIGTERM with exit code 0, logging to the runtime. With `podman run` where it works; where it is
# refused (a sandbox that may not set resource limits), the archive's layers are unpacked and its root file
# system runs as the image's user under unshare and chroot, with the image's entry point, command and
# environment, without systemd, a desktop or a home folder.
set -euo pipefail
archive=$1 image=$2 emulator=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d)
pids=()
volume=
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -z "$volume" ] || podman volume rm -f "$volume" >/dev/null 2>&1 || true
    podman rmi "$image" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# The image's configuration, read from the archive: "KEY<tab>JSON value" lines.
mkdir "$work/oci"
tar -xf "$archive" -C "$work/oci"
python3 - "$work/oci" >"$work/config" <<'EOF'
import json, sys
root = sys.argv[1]
def blob(digest):
    return open(f"{root}/blobs/{digest.replace(':', '/')}", "rb").read()
manifest = json.loads(blob(json.load(open(f"{root}/index.json"))["manifests"][0]["digest"]))
config = json.loads(blob(manifest["config"]["digest"]))["config"]
for key in ("User", "Entrypoint", "Cmd", "Env", "Healthcheck", "Volumes"):
    print(key, json.dumps(config.get(key)), sep="\t")
for layer in manifest["layers"]:
    print("Layer", layer["digest"].replace(":", "/"), sep="\t")
EOF
field() { awk -F'\t' -v key="$1" '$1 == key {print $2}' "$work/config"; }
json_words() { python3 -c 'import json, sys; print("\n".join(json.loads(sys.argv[1])))' "$1"; }
mapfile -t entrypoint < <(json_words "$(field Entrypoint)")
mapfile -t command < <(json_words "$(field Cmd)")
mapfile -t environment < <(json_words "$(field Env)")
mapfile -t health < <(json_words "$(python3 -c 'import json, sys; print(json.dumps(json.loads(sys.argv[1])["Test"]))' "$(field Healthcheck)")")
user=$(python3 -c 'import json, sys; print(json.loads(sys.argv[1]))' "$(field User)")
[ "${health[0]}" = CMD ] || fail "health check: ${health[*]}"
grep -q '"/config"' <<<"$(field Volumes)" || fail "no volume /config: $(field Volumes)"
[ -n "$user" ] && [ "${user%%:*}" != 0 ] && [ "${user%%:*}" != root ] || fail "the image runs as root"

# Each runs in a subshell of its own ($(...) or &), which it becomes: $! is the runner's process. stopped_pid
# gives the process that SIGTERM goes to.
if podman load -q -i "$archive" >/dev/null && podman run --rm "$image" --version >/dev/null 2>&1; then
    volume=zelto-check-$$
    in_image() { exec podman run --rm -i --network host -v "$volume:/config" "$image" "$@"; }
    health_check() { exec podman run --rm --network host -v "$volume:/config" --entrypoint "${health[1]}" "$image" "${health[@]:2}"; }
    # podman run passes the signal on to the container.
    stopped_pid() { echo "$1"; }
else
    echo "check-container: podman cannot run containers here; running the image's root file system with chroot"
    rootfs=$work/rootfs
    mkdir "$rootfs"
    while read -r layer; do
        tar -xf "$work/oci/blobs/$layer" -C "$rootfs"
    done < <(field Layer)
    # A private mount and process namespace with /proc and /dev, as a container runtime gives them; the
    # program is the namespace's first process, as in a container.
    # shellcheck disable=SC2016
    enter='mount -t proc proc "$0/proc" && mount --rbind /dev "$0/dev" && exec "$@"'
    chroot=$(command -v chroot)
    contained() {
        exec unshare --mount --pid --fork --kill-child sh -c "$enter" "$rootfs" \
            env -i "${environment[@]}" "$chroot" --userspec="$user" "$rootfs" "$@"
    }
    in_image() { contained "${entrypoint[@]}" "$@"; }
    health_check() { contained "${health[@]:1}"; }
    # unshare's one child: the shell that became env, chroot and then the program.
    stopped_pid() { pgrep -P "$1"; }
fi

coproc emulator_process { exec "$emulator" --lifetime 120 --account example.com:secret1; }
pids+=("$emulator_process_PID")
read -r -t 60 word port <&"${emulator_process[0]}" && [ "$word" = port ] || fail "the emulator did not start"

said=$(in_image server "127.0.0.1:$port") || fail "server: $said"
said=$(in_image domain add example com <<<secret1) && [ "$said" = "Domain example.com loaded." ] || fail "domain add: $said"
once=$(in_image --once 2>&1) || fail "--once: $once"
grep -q "update.asp?.* -> ip127.0.0.1$" <<<"$once" || fail "--once did not register: $once"
said=$(health_check) || fail "health check: $said"
[[ $said == "ZELTO OK - example.com registered 127.0.0.1 at "* ]] || fail "health check: $said"

# The image's command: --headless registers at its start, logging to the runtime, and ends with 0 on SIGTERM.
mkfifo "$work/log"
in_image "${command[@]}" >"$work/log" 2>&1 &
runner=$!
pids+=("$runner")
exec {log_fd}<"$work/log"
log=
while read -r -t 60 line <&"$log_fd"; do
    log+=$line$'\n'
    grep -q "update.asp?.* -> ip127.0.0.1$" <<<"$line" && break
done
grep -q "update.asp?.* -> ip127.0.0.1$" <<<"$log" || fail "--headless did not register: $log"
program=$(stopped_pid "$runner") || fail "--headless is not running: $log"
kill -TERM "$program"
exit_code=0
wait "$runner" || exit_code=$?
[ "$exit_code" = 0 ] || fail "--headless ended with $exit_code on SIGTERM: $log"
echo "check-container: $image registered, answered its health check and stopped on SIGTERM"
