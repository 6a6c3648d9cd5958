#!/bin/sh
# Media the player tests read, into $1 (beside the other engine fixtures).
set -eu
out="$1"
mkdir -p "$out"
cd "$out"
[ -f .player_done ] && exit 0
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }

# 64x64 @25, 4 s: frame n has luma 16+2n, so a picture tells its own time.
# A keyframe every 25 frames, B-frames between, nearly lossless so the luma stays within 1.
ff -f lavfi -i "nullsrc=s=64x64:r=25:d=4,format=gray,geq=lum=16+2*N,format=yuv420p" \
   -c:v libx264 -qp 2 -g 25 -keyint_min 25 -sc_threshold 0 -bf 2 -x264-params b-adapt=0 ramp.mp4
touch .player_done
