#!/bin/sh
# Compares orvalta with the ffmpeg CLI at equal encoder settings (libx264
# preset medium at a fixed bit rate, aac at a fixed bit rate) on a generated
# 1080p clip: one job, then five at once. Prints wall times, peak RSS and
# the ratios. Usage: bench/run.sh [build-dir]   (default: build)
set -eu
build="${1:-build}"
bench="$build/Lumivane.app/Contents/MacOS/orvalta_bench"
[ -x "$bench" ] || { echo "build orvalta_bench first ($bench)"; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
src="$work/src1080.mp4"
VB=6000
AB=128

ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=s=1920x1080:r=25:d=10 \
  -f lavfi -i sine=f=440:r=48000:d=10 -ac 2 -c:v libx264 -preset veryfast -crf 20 \
  -pix_fmt yuv420p -c:a aac -b:a 192k "$src"

# Engine job threads run at nice +5; the CLI gets the same so that other load
# on the machine weighs on both alike.
NICE="nice -n 5"

# wall seconds and max RSS (kB) of a command, from GNU time
measure() {
  /usr/bin/time -f "%e %M" -o "$work/t" "$@" > /dev/null 2>&1
  cat "$work/t"
}

cli() { $NICE ffmpeg -nostdin -loglevel error -y -i "$src" -c:v libx264 -preset medium -b:v ${VB}k -c:a aac -b:a ${AB}k "$1"; }

echo "one job"
set -- $(measure $NICE ffmpeg -nostdin -loglevel error -y -i "$src" -c:v libx264 -preset medium -b:v ${VB}k -c:a aac -b:a ${AB}k "$work/cli.mp4")
cli_t=$1; cli_m=$2
set -- $(measure "$bench" "$src" "$work/orv.mp4" -f mp4 -v 28 -a 86018 -vb $VB -ab $AB -j 1)
orv_t=$1; orv_m=$2
echo "  ffmpeg   ${cli_t} s  ${cli_m} kB"
echo "  orvalta  ${orv_t} s  ${orv_m} kB"
echo "  time ratio $(echo "scale=3; $orv_t / $cli_t" | bc)  memory ratio $(echo "scale=3; $orv_m / $cli_m" | bc)"

echo "five at once"
start=$(date +%s.%N)
for i in 1 2 3 4 5; do cli "$work/cli$i.mp4" & done
wait
end=$(date +%s.%N)
cli5=$(echo "$end - $start" | bc)
set -- $(measure "$bench" "$src" "$work/orv5.mp4" -f mp4 -v 28 -a 86018 -vb $VB -ab $AB -j 5)
orv5=$1
echo "  ffmpeg x5  ${cli5} s"
echo "  orvalta x5 ${orv5} s  (one process, ${2} kB)"
echo "  time ratio $(echo "scale=3; $orv5 / $cli5" | bc)"
