# Sourced by the thumbnail benchmarks. measure COMMAND...: runs it five times
# and prints the best CPU seconds (user + system), the wall seconds of that
# run and the peak resident KB of all five. Needs $out (emptied before each
# run) and $times (a scratch file).
measure() {
  local best_cpu=999999 best_wall=0 peak=0 user sys cpu wall rss
  for _ in 1 2 3 4 5; do
    rm -rf "${out:?}"/*
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
