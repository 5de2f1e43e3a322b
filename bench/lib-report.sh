# The figures of a benchmark, one line each: what was measured against which
# peer, the ratio, the goal and whether it was met. Source it, then:
#   figure LABEL DETAILS RATIO OP GOAL   # OP is "<=", "<" or ">="
#   bench_fail MESSAGE                   # says why the benchmark cannot go on, exits 1
# A missed goal is reported, not fatal: timings on a shared machine vary, and
# a benchmark fails only when it cannot measure or a result is wrong.
# BENCH_STRICT=1 makes a missed goal fail the script as well.

FIGURES_MISSED=0

figure() {
  local label=$1 details=$2 ratio=$3 op=$4 goal=$5 verdict
  if awk -v r="$ratio" -v g="$goal" -v op="$op" 'BEGIN {
        if (op == "<=") exit !(r <= g); if (op == "<") exit !(r < g); exit !(r >= g) }'; then
    verdict=ok
  else
    verdict=MISSED
    FIGURES_MISSED=$((FIGURES_MISSED + 1))
  fi
  printf 'figure: %s: %s; ratio %s, goal %s %s: %s\n' "$label" "$details" "$ratio" "$op" "$goal" "$verdict"
}

bench_fail() {
  echo "$(basename "$0"): FAILED: $*" >&2
  exit 1
}

# The script's exit status: 0 unless BENCH_STRICT=1 and a goal was missed.
figures_status() {
  if [ "${BENCH_STRICT:-0}" = 1 ] && [ "$FIGURES_MISSED" -gt 0 ]; then
    echo "$(basename "$0"): $FIGURES_MISSED goal(s) missed" >&2
    return 1
  fi
  return 0
}
