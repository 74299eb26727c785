#!/usr/bin/env bash
# Generates the media every test plays and cuts, once per build folder.
# Each file is about 30 s of testsrc picture (640x480, 25 fps, yuv420p, a keyframe
# every 2 s) and a sine tone. Files that exist are kept; delete the folder to redo.
set -euo pipefail
out=${1:?usage: make-test-media.sh OUTDIR}
mkdir -p "$out/bad"
cd "$out"

dur=30
gop=50   # 2 s at 25 fps
vin=(-f lavfi -i "testsrc=size=640x480:rate=25:duration=$dur")
ain=(-f lavfi -i "sine=frequency=440:sample_rate=44100:duration=$dur")
keyint=(-g $gop -keyint_min $gop -sc_threshold 0)
enc=(ffmpeg -nostdin -hide_banner -loglevel error -y)

make() {  # name, then encoder options
    local name=$1; shift
    [ -s "$name" ] && return 0
    local tmp; tmp="$(dirname "$name")/.tmp.$(basename "$name")"
    "${enc[@]}" "$@" "$tmp"
    mv -f "$tmp" "$name"
}

make h263.flv   "${vin[@]}" "${ain[@]}" -c:v flv1 -q:v 5 "${keyint[@]}" -pix_fmt yuv420p \
                -c:a libmp3lame -b:a 96k -ac 2 -f flv
make h264.flv   "${vin[@]}" "${ain[@]}" -c:v libx264 -preset veryfast "${keyint[@]}" -pix_fmt yuv420p \
                -c:a aac -b:a 96k -ac 2 -f flv
make clip.mpg   "${vin[@]}" "${ain[@]}" -c:v mpeg1video -q:v 4 -bf 0 "${keyint[@]}" -pix_fmt yuv420p \
                -c:a mp2 -b:a 128k -ac 2 -f mpeg
make clip.vob   "${vin[@]}" -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$dur" \
                -c:v mpeg2video -q:v 4 -bf 0 "${keyint[@]}" -pix_fmt yuv420p \
                -c:a ac3 -b:a 192k -ac 2 -f vob
make clip.avi   "${vin[@]}" "${ain[@]}" -c:v mpeg4 -q:v 5 -bf 0 "${keyint[@]}" -pix_fmt yuv420p \
                -c:a libmp3lame -b:a 96k -ac 2 -f avi
make clip.mp4   "${vin[@]}" "${ain[@]}" -c:v libx264 -preset veryfast "${keyint[@]}" -pix_fmt yuv420p \
                -c:a aac -b:a 96k -ac 2 -movflags +faststart -f mp4
make clip.wmv   "${vin[@]}" "${ain[@]}" -c:v wmv2 -b:v 800k "${keyint[@]}" -pix_fmt yuv420p \
                -c:a wmav2 -b:a 96k -ac 2 -f asf
make clip.3gp   -f lavfi -i "testsrc=size=352x288:rate=25:duration=$dur" "${ain[@]}" \
                -c:v mpeg4 -q:v 5 -bf 0 "${keyint[@]}" -pix_fmt yuv420p \
                -c:a aac -b:a 64k -ac 1 -ar 22050 -f 3gp
make clip.mov   "${vin[@]}" "${ain[@]}" -c:v libx264 -preset veryfast "${keyint[@]}" -pix_fmt yuv420p \
                -c:a pcm_s16le -ac 2 -f mov
make clip.mp3   "${ain[@]}" -c:a libmp3lame -b:a 128k -ac 2 -f mp3
make clip.wav   "${ain[@]}" -c:a pcm_s16le -ac 2 -f wav

# Bad media.
[ -s bad/nometa.flv ] || make bad/nometa.flv "${vin[@]}" "${ain[@]}" -c:v flv1 -q:v 5 "${keyint[@]}" \
                -pix_fmt yuv420p -c:a libmp3lame -b:a 96k -ac 2 -flvflags no_metadata -f flv
if [ ! -s bad/truncated.flv ]; then
    # Cut in the middle of a tag: a tag header sits at an offset we do not aim for,
    # so cut at an odd offset well inside the file, then check it is inside a tag.
    size=$(stat -c %s h263.flv)
    head -c $(( size / 2 + 7 )) h263.flv > bad/.tmp.truncated.flv
    mv -f bad/.tmp.truncated.flv bad/truncated.flv
fi
if [ ! -s bad/indexed-half.flv ]; then
    # The first half of an FLV whose onMetaData carries a keyframe index, cut inside a tag:
    # it announces 30 s and keyframes past its end.
    "${enc[@]}" "${vin[@]}" "${ain[@]}" -c:v libx264 -preset veryfast "${keyint[@]}" \
        -pix_fmt yuv420p -c:a aac -b:a 96k -ac 2 -flvflags add_keyframe_index -f flv bad/.indexed.flv
    size=$(stat -c %s bad/.indexed.flv)
    head -c $(( size / 2 + 7 )) bad/.indexed.flv > bad/.tmp.indexed-half.flv
    rm -f bad/.indexed.flv
    mv -f bad/.tmp.indexed-half.flv bad/indexed-half.flv
fi
# Its header, onMetaData and the start of its first picture: no whole picture or sound.
[ -s bad/head.flv ] || { head -c 2000 h264.flv > bad/.tmp.head.flv && mv -f bad/.tmp.head.flv bad/head.flv; }
: > bad/empty.flv
mkdir -p bad/text
[ -s bad/text/clip.flv ] || printf 'This is not a video.\r\nJust text.\r\n' > bad/text/clip.flv
echo "test media ready in $out"
