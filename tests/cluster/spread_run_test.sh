#!/usr/bin/env bash
# One analysis spread over K processes by the MPI launcher must write what the program run
# alone writes: the same report, the same JSON document apart from the record of the run
# (which says how many processes ran), the same tables; and a process that fails must end
# the whole run with a failing status.
# Usage: spread_run_test.sh QUOREL SOURCE_DIR K LAUNCHER [LAUNCHER_ARGUMENTS...]
set -uo pipefail
quorel=$1 source_dir=$2 k=$3
shift 3
launcher=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The networks: one problem; one with a fixed matrix (three values by the actors' places)
# after its relations; two problems in one file.
wolfe=$source_dir/examples/wolfe_primates.dat
padgett=$source_dir/examples/padgett_florentine.dat
cp "$wolfe" "$work/one.dat"
{ cat "$padgett"; awk 'NR == 2 { n = $1 } END { for (r = 0; r < n; r++) { line = ""; for (c = 0; c < n; c++) line = line (c ? " " : "") (r + 2 * c) % 3; print line } }' "$padgett"; } > "$work/fixed.dat"
cat "$padgett" "$wolfe" > "$work/two.dat"

# The document without its record of the run, whose timings and process count differ.
without_run() { python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); d.pop("run", None); print(json.dumps(d, sort_keys=True))' "$1"; }

# compare NAME DATA ARGUMENTS...: alone with one thread, then spread with one and two threads,
# each run in a folder of its own with the same file names (the document names them).
compare() {
  local name=$1 data=$2
  shift 2
  local dir=$work/$name
  mkdir -p "$dir/alone"
  (cd "$dir/alone" && "$quorel" -q --data "$data" --report r.out --json r.json --tables t --threads 1 "$@") > "$dir/alone.log" 2>&1 ||
    { fail "$name: alone exited $?"; return; }
  for threads in 1 2; do
    local spread=$dir/spread$threads
    mkdir -p "$spread"
    (cd "$spread" && timeout 300 "${launcher[@]}" -np "$k" "$quorel" -q --data "$data" --report r.out \
      --json r.json --tables t --threads $threads "$@") > "$dir/spread$threads.log" 2>&1 ||
      { fail "$name: $k processes, $threads threads, exited $?"; cat "$dir/spread$threads.log" >&2; continue; }
    local what="$name, $k processes, $threads threads"
    cmp -s "$dir/alone/r.out" "$spread/r.out" || fail "$what: the report differs"
    [ "$(without_run "$dir/alone/r.json")" = "$(without_run "$spread/r.json")" ] || fail "$what: the JSON document differs"
    diff -r -x run.json "$dir/alone/t" "$spread/t" > /dev/null || fail "$what: the tables differ"
    python3 -c 'import json, sys; sys.exit(json.load(open(sys.argv[1]))["run"]["processes"] != int(sys.argv[2]))' \
      "$spread/r.json" "$k" || fail "$what: the record of the run does not say $k processes"
    # Only the lead process speaks: the warnings of the program alone, once.
    cmp -s "$dir/alone.log" "$dir/spread$threads.log" ||
      { fail "$what: the processes printed other lines than the program alone"; cat "$dir/spread$threads.log" >&2; }
  done
}

compare pairs "$work/one.dat" --permutation-strategy pairs --sample-size 300 --seed 5
compare generators "$work/one.dat" --permutation-strategy generators --sample-size 300 --seed 5 --factor-omega
compare fixed-matrix "$work/fixed.dat" --fixed-matrix --measure-control MF --sample-size 200
compare two-problems "$work/two.dat" --permutation-strategy generators --measure-control MB --sample-size 200

# A report that cannot be opened ends the lead process early; the others must not wait for
# it in the sum of the counters, and the run must not end as a success.
(cd "$work" && timeout 120 "${launcher[@]}" -np "$k" "$quorel" -q --data one.dat --report missing/dir/r.out) \
  > "$work/failed.log" 2>&1
status=$?
[ $status -eq 124 ] && fail "a failed lead process left the others waiting"
[ $status -eq 0 ] && fail "a failed lead process ended the run as a success"

[ $failures -eq 0 ] && echo "$k processes: every output as the program alone writes it"
exit $((failures > 0))
