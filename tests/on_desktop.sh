#!/usr/bin/env bash
# Runs COMMAND on a desktop of its own: an X server (Xvfb) with one screen of SIZE on a display
# that no one else uses, and the window manager openbox with the configuration CONFIG; both end
# with the command. Exits with the command's status, or 77 (skipped) without Xvfb or openbox.
#   on_desktop.sh WIDTHxHEIGHT CONFIG COMMAND [ARGUMENTS...]
set -u
size=$1 config=$2
shift 2
command -v Xvfb >/dev/null && command -v openbox >/dev/null || { echo "on_desktop.sh: needs Xvfb and openbox" >&2; exit 77; }
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT
fail() {
    echo "on_desktop.sh: $1" >&2
    cat "$work"/*.log >&2
    exit 1
}

# The server picks a free display itself and writes its number once it takes connections.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
read -r -t 20 display <"$work/display" || fail "Xvfb did not start"
export DISPLAY=:$display

# openbox runs its start-up command once it manages the screen.
openbox --sm-disable --config-file "$config" --startup "touch $work/managing" >"$work/openbox.log" 2>&1 &
for _ in $(seq 400); do
    [ -e "$work/managing" ] && break
    sleep 0.025
done
[ -e "$work/managing" ] || fail "openbox did not start within 10 s"

"$@"
