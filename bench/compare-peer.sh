#!/usr/bin/env bash
# Speed against a popular open synthesizer plug-in, amsynth (Debian package), on this
# machine: both render the demo song through `qvt render` (44.1 kHz, blocks of 512; only the
# time inside the plug-in's calls counts), alternating, ROUNDS times (default 7):
# amsynth's default patch, then Quivertone's start-up program, then Quivertone's heaviest
# settings. Prints each round and the medians: the ratio of real-time factors
# (Quivertone / amsynth, above 1 = faster) by CPU time and by wall clock, and the heaviest
# settings' real-time factor. amsynth's library opens an X display when loaded, so the
# rounds run under xvfb-run. Not part of `make test`.
#
#   bench/compare-peer.sh [BUILD_DIR] [ROUNDS]     (defaults: build/release, 7)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
rounds=${2:-7}
peer=/usr/lib/vst/amsynth_vst.so
qvt="$build/qvt"
plugin="$build/Quivertone.so"
song=examples/demo.mid

if [ ! -e "$peer" ] || ! command -v xvfb-run >/dev/null; then
  command="apt-get install -y --no-install-recommends amsynth xvfb xauth"
  if [ "$(id -u)" -ne 0 ]; then
    echo "amsynth or xvfb-run is missing. Run as root:  apt-get update && $command" >&2
    exit 1
  fi
  apt-get update -q && $command
fi
for file in "$qvt" "$plugin"; do
  [ -e "$file" ] || { echo "missing $file: build first (cmake --build --preset release)" >&2; exit 1; }
done
if [ -z "${QVT_UNDER_XVFB:-}" ]; then
  QVT_UNDER_XVFB=1 exec xvfb-run -a "$0" "$build" "$rounds"
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# The heaviest settings of bench/render-benchmark.sh.
heaviest=(--set 26=0.03 --set 27=0.03 --set 30=1 --set 33=1 --set 37=1 --set 45=1
          --set 13=1 --set 14=1 --set 15=1 --set 53=0.5)

# Prints "WALL CPU": the real-time factors of one render.
factors() {
  "$qvt" render "$1" "$song" -o "$out/render.wav" --rate 44100 --block 512 "${@:2}" 2>/dev/null |
    sed -n 's/^real time *\([0-9.]*\)x.*by CPU time \([0-9.]*\)x.*/\1 \2/p'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "qvt render $song, 44100 Hz, block 512, $rounds alternating rounds; $(uptime | sed 's/.*load/load/')"
printf '%-6s %22s %22s %22s %14s\n' round "amsynth wall/CPU" "start-up wall/CPU" "heaviest wall/CPU" "ratio CPU"
: >"$out/ratios"
for round in $(seq "$rounds"); do
  read -r peerWall peerCpu < <(factors "$peer")
  read -r ourWall ourCpu < <(factors "$plugin")
  read -r heavyWall heavyCpu < <(factors "$plugin" "${heaviest[@]}")
  ratioCpu=$(awk -v a="$ourCpu" -v b="$peerCpu" 'BEGIN { printf "%.3f", a / b }')
  ratioWall=$(awk -v a="$ourWall" -v b="$peerWall" 'BEGIN { printf "%.3f", a / b }')
  echo "$ratioCpu $ratioWall $heavyCpu $heavyWall" >>"$out/ratios"
  printf '%-6s %10sx %9sx %10sx %9sx %10sx %9sx %14s\n' "$round" "$peerWall" "$peerCpu" \
    "$ourWall" "$ourCpu" "$heavyWall" "$heavyCpu" "$ratioCpu"
done
echo "median ratio Quivertone / amsynth: $(cut -d' ' -f1 "$out/ratios" | median) by CPU time," \
     "$(cut -d' ' -f2 "$out/ratios" | median) by wall clock"
echo "median heaviest settings: $(cut -d' ' -f3 "$out/ratios" | median)x real time by CPU time," \
     "$(cut -d' ' -f4 "$out/ratios" | median)x by wall clock"
echo "$(uptime | sed 's/.*load/load/') at the end"
