#!/usr/bin/env bash
# Installs the build into a fresh prefix and starts the installed program as a desktop menu does:
# through the launcher in bin/, from an unrelated working directory.
#   install_test.sh CMAKE BUILD_DIR WORK_DIR
set -euo pipefail
cmake=$1 build=$2 work=$3
prefix=$work/prefix pid=
fail() { echo "FAIL: $*" >&2; exit 1; }
stop() { [ -z "$pid" ] || { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; pid=; } || true; }
trap stop EXIT
rm -rf "$work" && mkdir -p "$prefix" "$work/elsewhere"
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed"

# Exactly the program, its tables, the launcher, the menu entry and metadata named by the
# program's id, the icons, the manual pages and the licence: no development tool.
id=org.example.tomokari
expected="bin/tomokari
lib/tomokari/chi2prob.dat
lib/tomokari/power06.dat
lib/tomokari/tomokari
share/applications/$id.desktop
share/doc/tomokari/changelog.Debian.gz
share/doc/tomokari/copyright
share/icons/hicolor/128x128/apps/$id.png
share/icons/hicolor/48x48/apps/$id.png
share/icons/hicolor/scalable/apps/$id.svg
share/lintian/overrides/tomokari
share/man/ja/man1/tomokari.1.gz
share/man/man1/tomokari.1.gz
share/metainfo/$id.metainfo.xml"
installed=$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
[ "$installed" = "$expected" ] || fail "installed files differ: $(diff <(echo "$expected") <(echo "$installed") || true)"
# A relative link keeps the tree movable (DESTDIR, package staging); the menu entry names what is there.
[[ $(readlink "$prefix/bin/tomokari") == [^/]* ]] || fail "bin/tomokari is no relative link"
entry() { sed -n "s/^$1=//p" "$prefix/share/applications/$id.desktop"; }
exec_name=$(entry Exec)
[ -x "$prefix/bin/$exec_name" ] && [ -e "$prefix/share/icons/hicolor/scalable/apps/$(entry Icon).svg" ] ||
    fail "the menu entry names a command or an icon that is not installed"
grep -q "<launchable type=\"desktop-id\">$id.desktop<" "$prefix/share/metainfo/$id.metainfo.xml" || fail "the metadata names another entry"

# Started well, it waits for the user and reports nothing.
(cd "$work/elsewhere" && QT_QPA_PLATFORM=offscreen exec "$prefix/bin/$exec_name" >/dev/null 2>"$work/start.err") &
pid=$!
sleep 2
state=$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)
[ -n "$state" ] && [ "$state" != Z ] || fail "the installed program ended within 2 s: $(cat "$work/start.err")"
stop
! grep -q '^tomokari:' "$work/start.err" || fail "the installed program reported: $(cat "$work/start.err")"
echo "installed program starts from $prefix"
