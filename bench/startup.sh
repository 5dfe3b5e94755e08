#!/usr/bin/env bash
# Start-up cost of tomokari next to the least a Qt Widgets program with one window costs.
#
#   bench/startup.sh [BUILD_DIR] [RUNS] [MAPPED_RUNS]      (defaults: build 15 10)
#
# Three cases: tomokari; bench/minimal_window.cpp with an empty window (the yardstick); the
# same with one line of Japanese text (what any window with Japanese text costs).
# 1. Whole process, offscreen: the program's own main() built as tomokari-bench-startup, which
#    ends on the first turn of the event loop as the minimal program does (start-up with the
#    windows shown at start, painted, then exit); wall time and peak RSS, median of RUNS.
# 2. Under Xvfb: from process start until the program's first window is mapped, for the real
#    tomokari and the minimal program; median of MAPPED_RUNS. bench/map_wait.cpp starts each and
#    hears the server map the window, without polling beside the program it times.
# The cases take turns in a rotating order, so that drift in the machine's load hits all alike.
# Use a Release or RelWithDebInfo build. Needs the Debian packages time and xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
runs=${2:-15}
mapped_runs=${3:-10}

for tool in /usr/bin/time Xvfb; do
    command -v "$tool" >/dev/null || {
        echo "startup.sh: $tool is missing (apt-get install time xvfb)" >&2
        exit 2
    }
done

cmake --build "$build" --target tomokari tomokari-bench-startup tomokari-bench-minimal-window tomokari-bench-map-wait >/dev/null
tomokari=$build/bin/tomokari
tomokari_once=$build/bin/tomokari-bench-startup
minimal=$build/bench/tomokari-bench-minimal-window
map_wait=$build/bench/tomokari-bench-map-wait

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

cases=(tomokari empty text)
command_of() {  # command_of CASE offscreen|x: sets the array cmd
    case $1:$2 in
        tomokari:offscreen) cmd=("$tomokari_once") ;;
        tomokari:x) cmd=("$tomokari") ;;
        empty:offscreen) cmd=("$minimal") ;;
        empty:x) cmd=("$minimal" --stay) ;;
        text:offscreen) cmd=("$minimal" --text) ;;
        text:x) cmd=("$minimal" --text --stay) ;;
    esac
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One whole run offscreen; appends "microseconds kilobytes" to the file named first. Bash's own
# clock, in microseconds: no process is started for a reading, to be timed along with the program.
run_offscreen() {  # run_offscreen RESULT_FILE COMMAND...
    local out=$1 start end
    shift
    start=${EPOCHREALTIME/[.,]/}
    QT_QPA_PLATFORM=offscreen /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>"$work/stderr" ||
        { echo "startup.sh: $* failed: $(cat "$work/stderr")" >&2; exit 1; }
    end=${EPOCHREALTIME/[.,]/}
    echo "$((end - start)) $(tail -n1 "$work/rss")" >>"$out"
}

# One start under X; appends the microseconds until a window of the process is mapped.
run_mapped() {  # run_mapped RESULT_FILE COMMAND...
    local out=$1
    shift
    QT_QPA_PLATFORM=xcb "$map_wait" "$@" >>"$out" 2>"$work/stderr" ||
        { echo "startup.sh: $* showed no window: $(cat "$work/stderr")" >&2; exit 1; }
}

# Every case once per round, starting with a different one each round.
rounds() {  # rounds COUNT offscreen|x
    local i k c
    for i in $(seq "$1"); do
        for k in 0 1 2; do
            c=${cases[(i + k) % 3]}
            command_of "$c" "$2"
            if [ "$2" = offscreen ]; then
                run_offscreen "$work/$c" "${cmd[@]}"
            else
                run_mapped "$work/${c}_mapped" "${cmd[@]}"
            fi
        done
    done
}

# The first runs fill the page cache and the font cache; they are not counted.
rounds 2 offscreen
rm -f "$work"/tomokari "$work"/empty "$work"/text
rounds "$runs" offscreen

# -noreset: a server that resets when its last client leaves refuses the next one meanwhile.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
[ -s "$work/display" ] || { echo "startup.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")

rounds 1 x
rm -f "$work"/*_mapped
rounds "$mapped_runs" x

column_median() { cut -d' ' -f"$2" "$1" | median; }
ms() { awk -v us="$1" 'BEGIN { printf "%.1f ms", us / 1000 }'; }
mib() { awk -v kb="$1" 'BEGIN { printf "%.1f MiB", kb / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
row() {  # row LABEL FORMAT TOMOKARI EMPTY TEXT
    echo "| $1 | $($2 "$3") | $($2 "$4") | $($2 "$5") | $(ratio "$3" "$4") | $(ratio "$3" "$5") |"
}

echo "| median | tomokari | empty window | window with Japanese text | tomokari / empty | tomokari / text |"
echo "|---|---|---|---|---|---|"
row "start-up and exit, offscreen ($runs runs)" ms \
    "$(column_median "$work/tomokari" 1)" "$(column_median "$work/empty" 1)" "$(column_median "$work/text" 1)"
row "peak memory (max RSS), offscreen ($runs runs)" mib \
    "$(column_median "$work/tomokari" 2)" "$(column_median "$work/empty" 2)" "$(column_median "$work/text" 2)"
row "start to first window mapped, Xvfb ($mapped_runs runs)" ms \
    "$(median <"$work/tomokari_mapped")" "$(median <"$work/empty_mapped")" "$(median <"$work/text_mapped")"
