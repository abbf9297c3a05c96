#!/usr/bin/env bash
# Installs a finished build the way the package does and checks what a user
# gets: the file list, the desktop entry and AppStream validators, binaries
# that owe nothing to the build folder, an installed client that starts the
# installed server beside it and links up (so that a fresh installation
# translates offline without a new login), and the Debian package made from
# the same build.
#
#   tests/install/check-install.sh BUILD_DIR
#
# The installed client always dials localhost:3030, so the port must be free.
set -euo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "check-install: $*" >&2
    exit 1
}
# Runs a command every tenth of a second until it succeeds or SECONDS pass.
poll() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}
# The files of a listing, one absolute path a line, sorted.
files_of() { sed -e 's|^\./|/|' | LC_ALL=C sort; }

echo "== Installing into a staging folder"
root=$work/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
(cd "$root" && find . ! -type d) | files_of >"$work/installed"
diff -u "$here/expected-files.txt" "$work/installed" ||
    fail "the installed files differ from tests/install/expected-files.txt"

desktop-file-validate "$root/usr/share/applications/org.quillora.Quillora.desktop" \
    "$root/etc/xdg/autostart/quillora-server.desktop" || fail "desktop-file-validate failed"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.quillora.Quillora.metainfo.xml" ||
    fail "appstreamcli validate failed"

for program in quillora quillora-server; do
    if readelf -d "$root/usr/bin/$program" | grep -E 'R(UN)?PATH'; then
        fail "the installed $program carries a library search path"
    fi
    if ldd "$root/usr/bin/$program" | grep -F -e "$build" -e "not found"; then
        fail "the installed $program needs libraries it cannot find outside the build"
    fi
done

echo "== The installed client starting the installed server"
if (exec 3<>/dev/tcp/127.0.0.1/3030) 2>/dev/null; then
    fail "port 3030 is taken; the installed client can only dial that port"
fi
mkdir -p "$work/home" "$work/data" "$work/config" "$work/tmp"
HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config TMPDIR=$work/tmp \
    QT_QPA_PLATFORM=xcb "$root/usr/bin/quillora" >"$work/client.out" 2>&1 &
pids+=($!)
# Started detached, the server is no child of this script: found by its program.
server_pid() {
    local exe
    for exe in /proc/[0-9]*/exe; do
        [ "$(readlink "$exe" 2>/dev/null)" != "$root/usr/bin/quillora-server" ] ||
            { basename "$(dirname "$exe")" && return 0; }
    done
    return 1
}
poll 60 server_pid >/dev/null || fail "the installed client did not start the installed server"
pids+=("$(server_pid)")
# The display table the server sends on a new link is the client's config.txt.
linked() { [ -n "$(find "$work/data" -name config.txt)" ]; }
if ! poll 60 linked; then
    cat "$work/client.out" >&2
    fail "the installed client did not link up with the server it started"
fi

echo "== Building the Debian package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
deb=$(echo "$work"/package/*.deb)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | files_of >"$work/packaged"
diff -u "$here/expected-files.txt" "$work/packaged" ||
    fail "the package's files differ from tests/install/expected-files.txt"
if grep -v -E '^/(usr|etc/xdg)/' "$work/packaged"; then
    fail "the package has files outside /usr and /etc/xdg"
fi
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt5core5a libqt5gui5 libqt5widgets5 libqt5network5; do
    grep -q -w "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
dpkg-deb -f "$deb" Recommends | grep -q -w apertium-en-es ||
    fail "the package does not recommend the English-Spanish Apertium pair"
echo "check-install: $(basename "$deb") and the installation are in order"
