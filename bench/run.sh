#!/bin/sh
# Compares orvalta with the ffmpeg CLI at equal encoder settings (libx264
# preset medium at a fixed bit rate, aac at a fixed bit rate) on a generated
# 1080p clip: one job, then five at once. Prints wall times, peak RSS and
# the ratios. Usage: bench/run.sh [build-dir] [playback]   (default: build)
#
# With "playback": plays a generated 1080p25 H.264 clip of 20 s (a keyframe
# every 10 s) through the public API with the null sink, alone and beside
# five conversions at nice +5, and compares its CPU seconds with the CLI's
# decode + conversion to BGRA, and its seek + picture with the CLI's
# accurate seek to the same times.
set -eu
build="${1:-build}"
mode="${2:-convert}"
bench="$build/Lumivane.app/Contents/MacOS/orvalta_bench"
[ -x "$bench" ] || { echo "build orvalta_bench first ($bench)"; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if [ "$mode" = playback ]; then
  play="$build/Lumivane.app/Contents/MacOS/orvalta_playbench"
  clip="$work/play1080.mp4"
  ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=s=1920x1080:r=25:d=20 \
    -c:v libx264 -preset veryfast -crf 20 -g 250 -keyint_min 250 -sc_threshold 0 -pix_fmt yuv420p "$clip"
  awk 'BEGIN { srand(12); for (i = 0; i < 20; i++) printf "%d\n", rand() * 19000000 }' > "$work/seeks"
  export ORVALTA_AUDIO=null
  echo "alone"
  "$play" "$clip" "$work/seeks"
  echo "beside five conversions at nice +5"
  "$bench" "$clip" "$work/busy.mp4" -f mp4 -v 28 -a -1 -j 5 > /dev/null 2>&1 &
  busy=$!
  sleep 1
  "$play" "$clip"
  kill $busy 2>/dev/null || true
  wait $busy 2>/dev/null || true
  /usr/bin/time -f "%U %S" -o "$work/t" ffmpeg -nostdin -loglevel error -i "$clip" -pix_fmt bgra -f null - 
  echo "ffmpeg decode + BGRA: $(awk '{ print $1 + $2 }' "$work/t") CPU s"
  for t in $(cat "$work/seeks"); do
    s=$(date +%s%N)
    ffmpeg -nostdin -loglevel error -ss "$(echo "scale=6; $t / 1000000" | bc)" -i "$clip" -frames:v 1 -f null -
    e=$(date +%s%N)
    echo $(( (e - s) / 1000 ))
  done | sort -n | awk '{ a[NR] = $1 } END { printf "ffmpeg -ss seek: median %.1f ms\n", a[int(NR / 2) + 1] / 1000 }'
  exit 0
fi
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
