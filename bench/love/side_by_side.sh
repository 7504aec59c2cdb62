# Sourced by the benchmarks that time Love2D beside the runner.

# Installs Love2D and Xvfb when they are missing.
need_love_and_xvfb() {
  local need=()
  command -v love >/dev/null || need+=(love)
  command -v xvfb-run >/dev/null || need+=(xvfb xauth)
  [ "${#need[@]}" -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    apt-get install -y "${need[@]}" >/dev/null || { apt-get update >/dev/null && apt-get install -y "${need[@]}" >/dev/null; }
  else
    sudo apt-get install -y "${need[@]}" >/dev/null
  fi
}

# The median of the times of one case in a file of "<case> <time>" lines (0 when there are none).
median_of() {
  awk -v c="$1" '$1 == c && $2 != "" { print $2 }' "$2" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 0) print 0; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Prints one case's line: its label, the medians of both sides in microseconds and the ratio.
print_ratio() {  # label ours peer
  awk -v label="$1" -v ours="$2" -v peer="$3" 'BEGIN {
    printf "  %-18s ours %9.1f us   Love2D %9.1f us   ours / Love2D %.2fx\n", label, ours, peer,
      (peer > 0 ? ours / peer : 0)
  }'
}
