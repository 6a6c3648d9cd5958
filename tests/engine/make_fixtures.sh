#!/bin/sh
# Generates the small media files the engine tests read, into $1.
# Everything is synthetic and made here; nothing is downloaded.
set -eu
out="$1"
mkdir -p "$out"
cd "$out"
[ -f .done ] && exit 0
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }

# 320x240 @25, 2 s, H.264 + 48 kHz stereo AAC
ff -f lavfi -i testsrc=s=320x240:r=25:d=2 -f lavfi -i sine=f=440:r=48000:d=2 \
   -ac 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -b:a 128k -shortest clip.mov
# four quadrants: red, green / blue, white
ff -f lavfi -i "nullsrc=s=320x240:r=25:d=1,format=gbrp,geq=r='if(lt(Y,H/2),if(lt(X,W/2),255,0),if(lt(X,W/2),0,255))':g='if(lt(Y,H/2),if(lt(X,W/2),0,255),if(lt(X,W/2),0,255))':b='if(lt(Y,H/2),0,255)'" \
   -c:v libx264 -qp 0 -pix_fmt yuv420p quad.mp4
ff -i quad.mp4 -c copy -metadata:s:v:0 rotate=90 quad_rot.mp4
ff -f lavfi -i testsrc=s=720x576:r=25:d=1 -vf setsar=64/45 -c:v libx264 -preset veryfast anamorphic.mkv
# long enough to pause and abort while running
ff -f lavfi -i testsrc2=s=1280x720:r=25:d=12 -f lavfi -i sine=f=300:r=44100:d=12 \
   -c:v libx264 -preset ultrafast -c:a aac long.mp4
ff -f lavfi -i testsrc=s=640x360:r=30:d=1 -c:v libx264 -preset veryfast -pix_fmt yuv420p noaudio.mp4
ff -f lavfi -i "sine=f=500:r=48000:d=2" -af "pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0" tone51.wav
ff -f lavfi -i sine=f=440:r=44100:d=2 -c:a libmp3lame -b:a 128k a.mp3
ff -f lavfi -i color=c=yellow:s=64x64:d=1 -frames:v 1 cover.png
ff -i a.mp3 -i cover.png -map 0 -map 1 -c copy -disposition:v:0 attached_pic cover.mp3
ff -f lavfi -i testsrc=s=160x120:r=25:d=1 -f lavfi -i sine=f=300:d=1 \
   -f lavfi -i testsrc2=s=176x144:r=25:d=1 -f lavfi -i sine=f=600:d=1 \
   -map 0:v -map 1:a -map 2:v -map 3:a -c:v mpeg2video -c:a mp2 \
   -metadata:s:a:0 language=eng -metadata:s:a:0 title=First -metadata:s:a:1 language=fra \
   -program title=One:st=0:st=1 -program title=Two:st=2:st=3 two_prog.ts
# subtitles and watermarks for the layer tests
printf '1\n00:00:00,500 --> 00:00:01,500\n\342\226\210\n' > subs.srt
printf '1\n00:00:00,000 --> 00:00:02,000\ncaf\351 na\357ve\n' > cp1252.srt
printf '1\n00:00:00,000 --> 00:00:02,000\n\342\226\210\n' > s1.srt
printf '1\n00:00:00,000 --> 00:00:02,000\n\342\226\210\342\226\210\342\226\210\342\226\210\342\226\210\342\226\210\n' > s2.srt
ff -i clip.mov -i s1.srt -i s2.srt -map 0 -map 1 -map 2 -c:v copy -c:a copy -c:s srt sub2.mkv
ff -f lavfi -i color=c=magenta:s=32x32 -frames:v 1 wm.png
ff -f lavfi -i color=c=magenta@0.5:s=32x32,format=rgba -frames:v 1 wm_half.png

# hostile inputs
mkdir -p bad
head -c 3000 clip.mov > bad/truncated.mov
head -c 20000 /dev/urandom > bad/random.mp4
: > bad/empty.mkv
printf 'this is not a video\n' > bad/text.avi
cp clip.mov bad/damaged.mov
size=$(wc -c < clip.mov)
dd if=/dev/urandom of=bad/damaged.mov bs=1 seek=$((size / 2)) count=2000 conv=notrunc 2>/dev/null

# a folder whose name needs care everywhere
special="dir ü 日本 #%?:[]'\",;"
mkdir -p "$special"
cp clip.mov "$special/a 'b' \"c\" %d: ü.mov"
touch .done
