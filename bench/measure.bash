# Sourced by every benchmark script, from the repository's root.
#
# $build: the benchmarks' build folder, ORVALE_BENCH_BUILD or build-bench.
# bench_build TARGET...: configures it with the "bench" preset (optimised,
# no tests) and builds the targets named.
#
# measure COMMAND...: runs it five times and prints the best CPU seconds
# (user + system), the wall seconds of that run and the peak resident KB of
# all five; it needs $times, a scratch file. best_wall COMMAND...: runs it
# five times and prints the best wall seconds. Both stop the script when the
# command fails, and call before_each_run before each run: by default it
# empties $out when set; a script defines its own to clear more.
build=${ORVALE_BENCH_BUILD:-build-bench}

bench_build() {
  cmake --preset bench -B "$build" >/dev/null
  cmake --build "$build" --target "$@" >/dev/null
}

before_each_run() {
  [[ -z ${out:-} ]] || rm -rf "${out:?}"/*
}

measure() {
  local best_cpu=999999 best_wall=0 peak=0 user sys cpu wall rss
  for _ in 1 2 3 4 5; do
    before_each_run
    /usr/bin/time -o "$times" -f '%U %S %e %M' "$@" >/dev/null 2>&1 || {
      echo "failed: $*" >&2
      exit 1
    }
    read -r user sys wall rss <"$times"
    cpu=$(echo "$user + $sys" | bc -l)
    if (($(echo "$cpu < $best_cpu" | bc -l))); then best_cpu=$cpu best_wall=$wall; fi
    ((rss > peak)) && peak=$rss
  done
  echo "$best_cpu $best_wall $peak"
}

# Timed by the shell's clock to the microsecond: a listing of a small
# folder takes less than /usr/bin/time's hundredth of a second.
best_wall() {
  local best=999999 start wall
  for _ in 1 2 3 4 5; do
    before_each_run
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 || {
      echo "failed: $*" >&2
      exit 1
    }
    wall=$(echo "$EPOCHREALTIME - $start" | bc -l)
    if (($(echo "$wall < $best" | bc -l))); then best=$wall; fi
  done
  printf '%.4f\n' "$best"
}
