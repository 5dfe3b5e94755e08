#!/usr/bin/env bash
# Installs the build into a fresh prefix and starts the installed program the way a desktop
# menu does: through the launcher in bin/, from an unrelated working directory.
# usage: install_test.sh CMAKE BUILD_DIR WORK_DIR
set -euo pipefail

cmake=$1 build=$2 work=$3
prefix=$work/prefix
elsewhere=$work/elsewhere
pid=

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
stop_program() {
    [ -z "$pid" ] || { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; pid=; } || true
}
trap stop_program EXIT

rm -rf "$work"
mkdir -p "$prefix" "$elsewhere"
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed"

# Exactly the program, its tables, the launcher, the menu entry, the AppStream metadata (both
# named by the program's id), the icons, the manual pages and the licence: none of the
# development tools (scripted runner, tests, table generator).
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
[ "$installed" = "$expected" ] || fail "installed files differ from the expected set:
$(diff <(echo "$expected") <(echo "$installed") || true)"

# A relative link keeps the installed tree movable (DESTDIR, package staging).
link=$(readlink "$prefix/bin/tomokari") || fail "bin/tomokari is not a symlink"
[[ $link != /* ]] || fail "bin/tomokari points to an absolute path: $link"

# The menu entry must name a command and an icon that the install provides.
desktop=$prefix/share/applications/$id.desktop
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Type)" = Application ] || fail "the menu entry is not an application"
exec_name=$(entry Exec)
icon_name=$(entry Icon)
[ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not an installed command"
icons=$prefix/share/icons/hicolor
grep -q '<svg' "$icons/scalable/apps/$icon_name.svg" || fail "no scalable SVG icon named $icon_name"
for size in 48 128; do
    file "$icons/${size}x$size/apps/$icon_name.png" | grep -q "PNG image data, $size x $size," || fail "no ${size}x$size PNG icon"
done

# The metadata names itself and the menu entry by the id.
metainfo=$prefix/share/metainfo/$id.metainfo.xml
grep -q "<id>$id</id>" "$metainfo" && grep -q "<launchable type=\"desktop-id\">$id.desktop<" "$metainfo" ||
    fail "$metainfo does not name $id and $id.desktop"

# The manual pages name the installed tables.
for page in share/man/man1/tomokari.1.gz share/man/ja/man1/tomokari.1.gz; do
    text=$(gzip -dc "$prefix/$page")  # no pipe into grep -q: pipefail would see gzip's SIGPIPE
    grep -q '^\.TH TOMOKARI 1 ' <<<"$text" || fail "$page is not the manual page of tomokari(1)"
    grep -q "/lib/tomokari/chi2prob\.dat" <<<"$text" || fail "$page does not name the tables' directory"
done

start_program() {  # start_program STDERR_FILE
    (cd "$elsewhere" && QT_QPA_PLATFORM=offscreen exec "$prefix/bin/$exec_name" >/dev/null 2>"$1") &
    pid=$!
}
running() { [ -r "/proc/$pid/stat" ] && [ "$(cut -d' ' -f3 "/proc/$pid/stat")" != Z ]; }

# Started well, the program shows its windows and waits for the user. A start-up failure
# prints "tomokari: ..." naming the table, shows a message box and ends when it is closed.
start_program "$work/start.err"
sleep 2
if ! running; then
    status=0
    wait "$pid" || status=$?
    pid=
    fail "the installed program ended within 2 s (status $status): $(cat "$work/start.err")"
fi
stop_program
! grep -q '^tomokari:' "$work/start.err" || fail "the installed program reported: $(cat "$work/start.err")"

# Without a table beside the executable it must say so: the check above can see a failure.
mv "$prefix/lib/tomokari/power06.dat" "$work/power06.dat.aside"
start_program "$work/missing.err"
for _ in $(seq 100); do
    grep -q '^tomokari:' "$work/missing.err" && break
    running || break
    sleep 0.1
done
stop_program
grep -q "^tomokari:.*lib/tomokari/power06\\.dat" "$work/missing.err" ||
    fail "a missing power06.dat was not reported: $(cat "$work/missing.err")"

echo "installed program starts from $prefix"
