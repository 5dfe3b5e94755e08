#!/usr/bin/env bash
# Plays the scripts named in LIST (one path a line under DIR, without .script; "#" starts a
# comment) through RUNNER and compares what it prints with what each script expects byte for
# byte: its dumps rebuilt by CHECK from DIR/start-up.state and its "#= " lines, and its "#! "
# lines for the exit status and the error line (without the runner's name), or exit 0.
#   play_scripts.sh RUNNER CHECK DIR LIST
set -u
runner=$1 check=$2 dir=$3 list=$4
passed=0 failed=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for name in $(grep -v '^#' "$list"); do
    script="$dir/$name.script"
    "$runner" "$script" >"$scratch/out" 2>"$scratch/err"
    { echo "exit $?"; sed 's/^tomokari-script: //' "$scratch/err"; } >"$scratch/got"
    sed -n 's/^#! //p' "$script" >"$scratch/want"
    [ -s "$scratch/want" ] || echo "exit 0" >"$scratch/want"
    "$check" expected "$dir/start-up.state" "$script" >"$scratch/dumps"
    if cmp -s "$scratch/out" "$scratch/dumps" && cmp -s "$scratch/got" "$scratch/want"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name (tomokari-record $dir $script shows what changed)"
        sed 's/^/    /' "$scratch/got"
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
