#!/usr/bin/env bash
# Plays scripts through RUNNER and compares what it prints, then how it ends ("exit N" and its
# error line without the runner's name), byte for byte with what CHECK (tomokari-check core) says
# the workflow core prints for the same script. Each SCRIPT is a .script file, a .txt list of
# scripts (paths under the list's folder without .script; "#" starts a comment), or --random=N
# for the random sequences of the seeds 1 to N.
#   play_scripts.sh RUNNER CHECK SCRIPT...
set -u
runner=$1 check=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
scripts=()
for arg in "$@"; do
    case $arg in
        *.txt) for name in $(grep -v '^#' "$arg"); do scripts+=("$(dirname "$arg")/$name.script"); done ;;
        --random=*)
            for seed in $(seq "${arg#--random=}"); do
                "$check" random "$seed" 80 >"$scratch/seed-$seed.script"
                scripts+=("$scratch/seed-$seed.script")
            done
            ;;
        *) scripts+=("$arg") ;;
    esac
done
failed=0
for script in "${scripts[@]}"; do
    { "$runner" "$script" 2>"$scratch/err"; echo "exit $?"; sed 's/^tomokari-script: //' "$scratch/err"; } >"$scratch/got"
    if ! "$check" core "$script" | cmp -s - "$scratch/got"; then
        failed=$((failed + 1))
        echo "FAILED: $script (tomokari-check core $script shows what the core prints)"
        tail -n 3 "$scratch/got" | cut -c1-300 | sed 's/^/    /'
    fi
done
echo "$((${#scripts[@]} - failed)) of ${#scripts[@]} agree with the core"
[ "$failed" -eq 0 ] && [ "${#scripts[@]}" -gt 0 ]
