#!/usr/bin/env bash
# Plays the scripts named in LIST (one name a line, without .script; "#" starts a comment)
# from DIR through RUNNER and compares what it prints with NAME.dumps byte for byte;
# NAME.error, where present, holds the expected exit status and standard error.
#   play_scripts.sh RUNNER DIR LIST
set -u
runner=$1 dir=$2 list=$3
passed=0 failed=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for name in $(grep -v '^#' "$list"); do
    "$runner" "$dir/$name.script" >"$scratch/out" 2>"$scratch/err"
    { echo "exit $?"; cat "$scratch/err"; } >"$scratch/got"
    if [ -f "$dir/$name.error" ]; then cp "$dir/$name.error" "$scratch/want"; else echo "exit 0" >"$scratch/want"; fi
    if cmp -s "$scratch/out" "$dir/$name.dumps" && cmp -s "$scratch/got" "$scratch/want"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $name"
        sed 's/^/    /' "$scratch/got"
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
