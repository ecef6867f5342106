#!/bin/sh
# Checks the Debian package that `make deb` built in BUILD: its file list,
# its Depends (from dpkg-shlibdeps), the desktop entry and the AppStream
# metainfo it ships (desktop-file-validate, appstreamcli), and that apt would
# install it on this system.
# Usage: scripts/check-deb.sh BUILD
set -eu

build=${1:?usage: scripts/check-deb.sh BUILD}
version=$(sed -n 's/^project(kt4470 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=$(ls "$build"/kt4470_"$version"_*.deb)
fail() {
    echo "check-deb: $*" >&2
    exit 1
}

files=$(dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|')
for f in /usr/bin/kt4470 /usr/bin/kt4470ctl /usr/bin/kt4470-sim \
    /usr/share/applications/org.kt4470.Terminal.desktop \
    /usr/share/icons/hicolor/scalable/apps/org.kt4470.Terminal.svg \
    /usr/share/metainfo/org.kt4470.Terminal.metainfo.xml \
    /usr/share/man/man1/kt4470.1.gz /usr/share/man/man1/kt4470ctl.1.gz /usr/share/man/man1/kt4470-sim.1.gz \
    /usr/share/doc/kt4470/copyright /usr/share/doc/kt4470/LICENSE; do
    echo "$files" | grep -qx "$f" || fail "$deb lacks $f"
done
# Programs and their documents only: no libraries, headers or test programs.
extra=$(echo "$files" | grep -v '/$' | grep -v -e '^/usr/bin/kt4470\(ctl\|-sim\)\?$' \
    -e '^/usr/share/\(applications\|icons\|metainfo\|man/man1\|doc/kt4470\)/' || true)
[ -z "$extra" ] || fail "$deb holds files it should not: $extra"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6; do
    echo "$depends" | grep -q "\b$lib\b" || fail "Depends lacks $lib: $depends"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is not $version"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
desktop-file-validate "$tmp/usr/share/applications/org.kt4470.Terminal.desktop"
appstreamcli validate --no-net "$tmp/usr/share/metainfo/org.kt4470.Terminal.metainfo.xml"
grep -q "<release version=\"$version\"" "$tmp/usr/share/metainfo/org.kt4470.Terminal.metainfo.xml" ||
    fail "the metainfo has no release $version"
"$tmp/usr/bin/kt4470ctl" --version | grep -q "^kt4470ctl $version" || fail "kt4470ctl --version"

# apt resolves the package's dependencies (a simulation: nothing is installed).
if apt-get install -s -q "$(realpath "$deb")" >"$tmp/apt.log" 2>&1; then
    grep -q '^Inst kt4470 ' "$tmp/apt.log" || fail "apt would not install kt4470: $(cat "$tmp/apt.log")"
else
    fail "apt cannot install $deb: $(cat "$tmp/apt.log")"
fi
echo "check-deb: $(basename "$deb") holds $(echo "$files" | grep -vc '/$') files; Depends: $depends"
