#!/usr/bin/env bash
# Writes a small seed corpus for each fuzz target into OUT/<target>/, from the texts the
# unit tests read (settings files, list files, list lines, MCI commands) and, when the test
# media folder is given, the start of the test FLV files and the broken ones.
#   make-seeds.sh OUT [TESTMEDIA]
set -euo pipefail
out=${1:?usage: make-seeds.sh OUT [TESTMEDIA]}
media=${2:-}

# seed TARGET NAME TEXT: TEXT with printf's backslash escapes (\r, \n, \xHH, \t).
seed() {
    mkdir -p "$out/$1"
    printf '%b' "$3" >"$out/$1/$2"
}

# Zelvo.FLV.ini and List.ini, also in Big5 and with a byte-order mark.
seed fuzz_settings ini 'MainRect=1500,3000,5550,5550\r\nListRect=1950,3450\r\nCapRect=-150,0\r\nKeepWH=True\r\nKeepDef=False\r\nListDir=/home/ann/\xe5\xbd\xb1\xe7\x89\x87/\r\nSaveDir=\r\nListDirIdx=-1\r\nStepMode=2,30,10,5\r\nPlaySetting=3\r\nToListEnd=True\r\nStartList=False\r\nAutoAddMark=False\r\nLineFmt=1\r\nDoneToFn=1\r\n'
seed fuzz_settings ini-odd '  \tKEEPWH=0 \t\rMainRect =1\nListDir=/home/a=b/\nLineFmt=  2x\nStepMode=1,99999999999999999999,-3.5,\n'
seed fuzz_settings ini-big5 'ListDir=/\xbc\x76\xa4\xf9/\r\nSaveDir=D:\\\xbc\x76\xa4\xf9\\\r\n'
seed fuzz_settings list '1\r\n0\xe2\x88\xa5\xe6\xb8\x85\xe5\x96\xae\xe7\xb7\xa8\xe8\x99\x9f\xe2\x88\xa52\xe2\x88\xa51\r\n/v/a.flv\xe2\x88\xa510-20\r\n/v/b.flv\r\n1\xe2\x88\xa5\xe6\xb8\x85\xe5\x96\xae\xe7\xb7\xa8\xe8\x99\x9f\xe2\x88\xa51\xe2\x88\xa50\r\nhttp://h/x.flv\r\n'
seed fuzz_settings list-damaged '\xef\xbb\xbf0\r\n7\xe2\x88\xa5x\xe2\x88\xa51\xe2\x88\xa50\r\n/v/x.flv\r\n0\xe2\x88\xa5x\xe2\x88\xa5500\xe2\x88\xa55\r\n/v/a.flv\r\n\r\n'

# List files: the first byte picks the format (0 plt, 1 m3u, 2 pls, 3 asx).
seed fuzz_listfiles plt '\x00/a/x.flv\r\n \t/a/y z.flv\xe2\x88\xa5120-480 900-1500\t \r\n\r\nC:\\Videos\\a.flv\rrel/b.flv\n'
seed fuzz_listfiles plt-big5 '\x00/home/\xbc\x76\xa4\xf9/a.flv\r\nD:\\\xbc\x76\xa4\xf9\\b.flv\r\n'
seed fuzz_listfiles m3u '\x01#EXTM3U\r\n#EXTINF:123,Title\r\nsub/a.flv\r\n../b.flv\r\n /abs/c d.flv \r\nHTTP://h/s.flv\r\nfile:///x/a%20b.flv\r\nD:\\v\\d.flv\r\n\\\\server\\share\\f.flv\r\n./x\xe2\x88\xa5y.flv\r\n'
seed fuzz_listfiles pls '\x02[playlist]\nNumberOfEntries=3\nFile3=c.flv\nTitle3=c\nfile1=/a.flv\n FILE2 = http://h/b \nFile10=/j.flv\nFileX=/bad\nFile-1=/bad\nFile4=\nVersion=2\n'
seed fuzz_listfiles asx '\x03<ASX version="3.0"><!-- <ref href="/hidden.flv"/> --><Entry><Title>t</Title><REF HREF="/a&amp;b &lt;1&gt; &quot;q&quot; &apos;s&apos;.flv"/></Entry>\n<entry><ref href='"'"'rel/&#24433;&#x7247;.flv'"'"'></ref></entry>\n<entry><Ref Href = http://h/s.asf ></entry><ref href="/bare & amp;&#0;&bogus;.flv"/></asx>'
seed fuzz_listfiles asx-cut '\x03<ref href="/ok.flv"><ref href="/open.flv<ref <<<<<!-- <ref href='

# Entries and lines of the three layouts (the first byte picks the layout).
seed fuzz_lineformat item0 '\x00/home/ann/video/clip.flv\xe2\x88\xa5120-480 900-1500 2000-2500'
seed fuzz_lineformat item1 '\x01/media/a\xe2\x88\xa5b/x\xe2\x88\xa5y.mp4\xe2\x88\xa50-250'
seed fuzz_lineformat item2 '\x02c:/mnt/usb disk/my  clip .mp4'
seed fuzz_lineformat url '\x01http://example.com/live/stream.flv\xe2\x88\xa55-60'
seed fuzz_lineformat line1 '\x01\xe5\xbd\xb1\xe7\x89\x87.flv\t/x y/\t\xe6\xa8\x99\xe8\xa8\x98 1-2 3-4'
seed fuzz_lineformat line2 '\x02b.flv\t\xe7\x84\xa1\xe6\xa8\x99\xe8\xa8\x98\t/a/'

# What the tools say of a file, and a file's first bytes (the first byte splits the scan).
seed fuzz_probes probe '\x05stream|codec_name=h264|codec_type=video|width=640|height=480|r_frame_rate=30000/1001\nstream|codec_name=aac|codec_type=audio|sample_rate=44100|channels=2|r_frame_rate=0/0\n'
seed fuzz_probes packets '\x0c0.080000,K_\n0.240000,__\n2.080000,K_\n0.057000\n'
seed fuzz_probes metadata '\x00\x02\x00\x0aonMetaData\x08\x00\x00\x00\x02\x00\x08duration\x00\x40\x3e\x00\x00\x00\x00\x00\x00\x00\x09keyframes\x03\x00\x0dfilepositions\x0a\x00\x00\x00\x01\x00\x40\x8f\x40\x00\x00\x00\x00\x00\x00\x00\x09\x00\x00\x09'
seed fuzz_probes flv '\x00FLV\x01\x05\x00\x00\x00\x09\x00\x00\x00\x00\x08\x00\x00\x04\x00\x00\x00\x00\x00\x00\x00\xaf\x00\x12\x10\x00\x00\x00\x0f\x09\x00\x00\x06\x00\x00\x00\x00\x00\x00\x00\x17\x00\x00\x00\x00\x01\x00\x00\x00\x11'

# MCI command strings as the player sends them.
seed fuzz_mcicommand open 'open "/home/ann/a "b".flv" type mpegvideo alias Zelvo.FLV parent 1234 style child'
seed fuzz_mcicommand play 'play Zelvo.FLV from 0 to 1500 repeat notify'
seed fuzz_mcicommand status 'status Zelvo.FLV length track 1 wait'
seed fuzz_mcicommand set 'set Zelvo.FLV time format milliseconds audio all off speed 2000'
seed fuzz_mcicommand put 'put "Zelvo FLV" window at 0 0 320 240'
seed fuzz_mcicommand misc 'setaudio Zelvo.FLV volume to 500\tseek cap to end\r\nstep x by -3 reverse'
seed fuzz_mcicommand unclosed 'close "all'

# Large texts (a quarter to one megabyte) in OUT/large/<target>/, which run-fuzzers.sh gives
# each target once before fuzzing (mutating inputs this large would slow the fuzzing a
# thousandfold): a parser that reads in one pass takes a second or two on them under the
# sanitizers, one that goes back over its text for every character takes minutes and fails
# the run by its time limit (FUZZ_TIMEOUT).
# repeat COUNT TEXT: TEXT (with printf's escapes) COUNT times.
repeat() {
    local text
    text=$(printf '%b.' "$2") # the "." keeps a final line end from being cut off
    TEXT=${text%.} awk -v count="$1" 'BEGIN { for (i = 0; i < count; i++) printf "%s", ENVIRON["TEXT"] }'
}
# large TARGET NAME START COUNT TEXT END: START, TEXT COUNT times, END.
large() {
    mkdir -p "$out/large/$1"
    { printf '%b' "$3"; repeat "$4" "$5"; printf '%b' "$6"; } >"$out/large/$1/$2"
}
large fuzz_listfiles asx-ampersands '\x03<asx><entry><ref href="/' 1048576 '&' '"/></entry></asx>'
large fuzz_listfiles asx-refs '\x03' 21845 '<ref href=a ' ''
large fuzz_listfiles m3u-climbing '\x01#EXTM3U\r\n' 209715 'a/../' '\r\n'
large fuzz_listfiles pls-entries '\x02[playlist]\r\n' 13107 'File1=../x.flv\r\n' ''
large fuzz_settings list-latin1 '0\r\n0\xe2\x88\xa5\xe6\xb8\x85\xe5\x96\xae\xe7\xb7\xa8\xe8\x99\x9f\xe2\x88\xa521845\xe2\x88\xa50\r\n' 21845 '/caf\xe9.flv\r\n' ''
large fuzz_lineformat item-long '\x01/' 209715 'a\xe2\x88\xa5\t' '\xe2\x88\xa51-2'


# The FLV reader: 300 keyframes of one byte each (Sorenson H.263), 40 ms apart: more than
# the small onMetaData the target also writes can list, so the index is thinned, as for a
# file of about a million keyframes, which the 24-bit tag size could not hold whole.
# A decoder configuration (High profile, one SPS and one PPS), the same as an encoder's
# start-code headers, and an IDR picture in four-byte length fields.
seed fuzz_avcconfig record '\x00\x01\x64\x00\x1f\xff\xe1\x00\x0b\x67\x64\x00\x1f\xac\xd9\x40\x50\x05\xbb\x01\x01\x00\x05\x68\xeb\xe3\xcb\x22\xfd\xf8\xf8\x00'
seed fuzz_avcconfig annexb '\x01\x00\x00\x00\x01\x67\x64\x00\x1f\xac\xd9\x40\x50\x05\xbb\x01\x00\x00\x00\x01\x68\xeb\xe3\xcb\x22\xc0\x00\x00\x01\x65\x88\x84\x00'
seed fuzz_avcconfig picture '\x02\x00\x00\x00\x04\x65\x88\x84\x00\x00\x00\x00\x02\x41\x9a'
mkdir -p "$out/fuzz_flv"
{
    printf 'FLV\x01\x01\x00\x00\x00\x09\x00\x00\x00\x00'
    for ((i = 0; i < 300; i++)); do
        ms=$((i * 40))
        printf "\\x09\\x00\\x00\\x01\\x$(printf %02x $((ms >> 16 & 255)))\\x$(printf %02x $((ms >> 8 & 255)))\\x$(printf %02x $((ms & 255)))\\x00\\x00\\x00\\x00\\x12\\x00\\x00\\x00\\x0c"
    done
} >"$out/fuzz_flv/many-keyframes.flv"

# Two seconds of H.264 whose encoder repeats SPS and PPS in each keyframe, its sequence
# header damaged: the repair rebuilds it from those.
if command -v ffmpeg >/dev/null; then
    avc="$out/fuzz_flv/avc-config-damaged.flv"
    if ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=64x48:rate=10:duration=2 \
        -c:v libx264 -preset ultrafast -g 10 -x264-params repeat-headers=1 -pix_fmt yuv420p \
        -f flv "$avc" 2>/dev/null; then
        # The first video tag after the onMetaData is the sequence header: its record, from
        # the 6th byte of its body, is overwritten.
        meta=$(od -An -tu1 -j14 -N3 "$avc" | awk '{print $1 * 65536 + $2 * 256 + $3}')
        config=$((13 + 11 + meta + 4))
        printf '\xa5\xa5\xa5\xa5\xa5\xa5\xa5\xa5' |
            dd of="$avc" bs=1 seek=$((config + 11 + 5)) conv=notrunc status=none
    else
        rm -f "$avc"
    fi
fi

# The FLV reader: the first 64 KB of the test clips, and the broken files whole.
if [ -n "$media" ] && [ -d "$media" ]; then
    mkdir -p "$out/fuzz_flv"
    for clip in h264 h263; do
        [ -f "$media/$clip.flv" ] && head -c 65536 "$media/$clip.flv" >"$out/fuzz_flv/$clip.flv"
    done
    for bad in "$media"/bad/*.flv; do
        [ -f "$bad" ] && head -c 65536 "$bad" >"$out/fuzz_flv/bad-$(basename "$bad")"
    done
fi
exit 0
