#!/usr/bin/env bash
# Real-time factor of the whole plug-in through `qvt render`: the demo song at 44.1 kHz in
# blocks of 512, (a) with the start-up program and (b) with the heaviest settings. Each case
# runs REPEAT times and the best run counts (the machine is shared with other builds).
#
#   bench/render-benchmark.sh [BUILD_DIR] [REPEAT]     (defaults: build/release, 5)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
repeat=${2:-5}
qvt="$build/qvt"
plugin="$build/Quivertone.so"
song=examples/demo.mid
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

for file in "$qvt" "$plugin"; do
  [ -e "$file" ] || { echo "missing $file: build first (cmake --build $build)" >&2; exit 1; }
done

# Chebyshev low- and high-pass, pipe on and following the pattern, flanger and reverb on,
# all three oscillators following the pattern, glide halfway.
heaviest=(--set 26=0.03 --set 27=0.03 --set 30=1 --set 33=1 --set 37=1 --set 45=1
          --set 13=1 --set 14=1 --set 15=1 --set 53=0.5)

# Prints the best wall-clock and the best CPU-time real-time factor of REPEAT renders.
best_factors() {
  local wall=0 cpu=0 line
  for _ in $(seq "$repeat"); do
    line=$("$qvt" render "$plugin" "$song" -o "$out/bench.wav" --rate 44100 --block 512 "$@" |
           grep '^real time')
    wall=$(awk -v a="$wall" -v b="$(sed 's/^real time *\([0-9.]*\)x.*/\1/' <<<"$line")" \
               'BEGIN { print (b > a) ? b : a }')
    cpu=$(awk -v a="$cpu" -v b="$(sed 's/.*by CPU time \([0-9.]*\)x.*/\1/' <<<"$line")" \
              'BEGIN { print (b > a) ? b : a }')
  done
  printf '%8.1fx wall clock  %8.1fx CPU time' "$wall" "$cpu"
}

echo "qvt render $song, 44100 Hz, block 512, best of $repeat runs, time inside the plug-in"
echo "(a) start-up program   $(best_factors)"
echo "(b) heaviest settings  $(best_factors "${heaviest[@]}")"
