#!/usr/bin/env bash
# Plays every DIR/*.script through RUNNER and compares what it prints with DIR/NAME.dumps,
# byte for byte; DIR/NAME.error, where present, holds the exit status and standard error.
#   play_scripts.sh RUNNER DIR
set -u
runner=$1 dir=$2
passed=0 failed=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for script in "$dir"/*.script; do
    name=${script%.script}
    "$runner" "$script" >"$scratch/out" 2>"$scratch/err"
    status=$?
    { echo "exit $status"; cat "$scratch/err"; } >"$scratch/got-error"
    expected_error="$name.error"
    if [ ! -f "$expected_error" ]; then
        echo "exit 0" >"$scratch/want-error"
        expected_error="$scratch/want-error"
    fi
    if cmp -s "$scratch/out" "$name.dumps" && cmp -s "$scratch/got-error" "$expected_error"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $script"
        cmp "$scratch/got-error" "$expected_error" >/dev/null || sed 's/^/    /' "$scratch/got-error"
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
