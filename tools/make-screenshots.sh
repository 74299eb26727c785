#!/usr/bin/env bash
# Takes the help's pictures of the real windows (make screenshots builds first):
# starts Zelvo.FLV on a virtual X display with media made here by ffmpeg, brings up
# each window as a user would (keys, menus, the browse buttons) and saves it, cropped
# to the window, as a small PNG in help/images/.
#
#   tools/make-screenshots.sh [folder of the built programs] [folder for the pictures]
#
# The program runs with ZELVO_TEST_LOG, so it shows no modal box (each is answered with
# its default button), writes where its menus and buttons are on screen (the clicks
# below go there), and takes the answers of its file dialogs from ZELVO_TEST_ANSWERS.
#
# One line of SHOTS a picture: its name, the window it shows (WINDOWS below) and the
# steps that bring it up, separated by ";", done in order after the lines above:
#   open FILE             start the program again with FILE, which the running window
#                         plays (FILE is in the media folder; "∥" and marks may follow)
#   wait-playing          until the status line says the file is playing
#   key KEY               the key (xdotool's name) in the main window
#   menu TITLE ITEM       the main window's menu TITLE, then its item named ITEM
#   browse BUTTON FILE…   the playlist window's image button BUTTON, whose file dialog
#                         is answered with the FILEs of the media folder
#   close WINDOW          closes a dialog with Esc
#   probe                 the split tab's "取得屬性" button, below its browse button
set -euo pipefail

SHOTS='
start        main
main-window  main     open 示範影片.flv∥100-250 500-600; wait-playing
playlist     list     key F1
marks        list     key F2
file-list    list     key F3
join         list     menu 工具 mnuMediaJoin; browse mbAdd0 示範影片.flv 第二段.flv
split        list     menu 工具 mnuMediaSplit; browse mbMdSplit 示範影片.flv
snapshot     list     menu 工具 mnuMediaSnap
fix          list     menu 工具 mnuMediaFix; browse mbMdFix 示範影片.flv
encode       list     menu 工具 mnuFLV2Mov0; browse mbEncodeSrc 示範影片.flv; browse mbEncodeTo 示範影片.mpg
capture      capture  key Home
about        about    menu 說明 mnuAbout
donation     money    close about; menu 說明 mnuMoney
'

# Each window by its caption (xdotool's regular expression).
declare -A WINDOWS=(
    [main]='( - Zelvo\.FLV$)|(^ Zelvo\.FLV - )'
    [list]='^ 播放清單$'
    [capture]='^ Zelvo\.FLV 擷取到的畫面$'
    [about]='^ 關於 Zelvo\.FLV$'
    [money]='^ 捐助$'
)

here=$(cd "$(dirname "$0")" && pwd)
BIN=$(cd "${1:-$here/../build/bin}" && pwd)
OUT=$(mkdir -p "${2:-$here/../help/images}" && cd "${2:-$here/../help/images}" && pwd)

# A display of its own: run again under xvfb-run, large enough for the windows side by side.
if [ -z "${ZELVO_SHOTS_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
        env ZELVO_SHOTS_DISPLAY=1 bash "$0" "$BIN" "$OUT"
fi

WORK=$(mktemp -d /tmp/zelvo-help-XXXXXX)
# The media under a fixed name, since the pictures show its path.
SHOWN=${TMPDIR:-/tmp}/zelvo-help
MEDIA=$SHOWN/影片
LOG=$WORK/log.txt
PROGRAM_PID=
cleanup() {
    if [ -n "$PROGRAM_PID" ]; then
        kill "$PROGRAM_PID" 2>/dev/null || true
        wait "$PROGRAM_PID" 2>/dev/null || true
    fi
    rm -rf "$WORK" "$SHOWN"
}
trap cleanup EXIT

fail() {
    echo "make-screenshots: $*" >&2
    if [ -s "$WORK/program.txt" ]; then
        echo "The program's last words:" >&2
        tail -n 20 "$WORK/program.txt" >&2
    fi
    exit 1
}

# Polls a command until it succeeds, at most $1 seconds.
wait_for() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.2
    done
}

# ---- media and settings ------------------------------------------------------------------
rm -rf "$SHOWN"
mkdir -p "$MEDIA" "$WORK/runtime" "$WORK/tmp" "$WORK/config"
chmod 700 "$WORK/runtime"
clip() {
    local name=$1 seconds=$2
    shift 2
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "testsrc2=size=640x360:rate=25:duration=$seconds" \
        -f lavfi -i "sine=frequency=440:duration=$seconds" "$@" -shortest "$MEDIA/$name"
}
clip 示範影片.flv 30 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac
clip 第二段.flv 10 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac
clip 短片.mp4 10 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac
ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "sine=frequency=660:duration=10" \
    "$MEDIA/音樂.mp3"

# The windows side by side at the top left (places in twips, 15 a pixel), and playlist
# one with a few entries, one of them with marks.
printf 'MainRect=0,0,9600,7200\r\nListRect=10050,0\r\nCapRect=0,7950\r\n' \
    >"$WORK/config/Zelvo.FLV.ini"
{
    printf '0\r\n0∥清單編號∥4∥0\r\n'
    printf '%s\r\n' "$MEDIA/示範影片.flv∥100-250 500-600" "$MEDIA/第二段.flv" \
        "$MEDIA/短片.mp4" "$MEDIA/音樂.mp3"
    printf '1∥清單編號∥0∥-1\r\n'
} >"$WORK/config/List.ini"

# Every browse step's answer, in the order the dialogs will open.
: >"$WORK/answers.txt"
while IFS= read -r line; do
    [ -n "${line// /}" ] || continue
    steps=$(awk '{ $1 = ""; $2 = ""; sub(/^ +/, ""); print }' <<<"$line")
    IFS=';' read -ra parts <<<"$steps"
    for step in "${parts[@]}"; do
        read -ra words <<<"$step"
        if [ "${words[0]:-}" = browse ]; then
            answer="file"
            for name in "${words[@]:2}"; do
                answer+=$'\t'"$MEDIA/$name"
            done
            printf '%s\n' "$answer" >>"$WORK/answers.txt"
        fi
    done
done <<<"$SHOTS"

# ---- the program and what its log says -------------------------------------------------
environment() {
    env XDG_RUNTIME_DIR="$WORK/runtime" TMPDIR="$WORK/tmp" XDG_CONFIG_HOME="$WORK/config" \
        ZELVO_SETTINGS_DIR="$WORK/config" ZELVO_TEST_LOG="$LOG" \
        ZELVO_TEST_ANSWERS="$WORK/answers.txt" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 "$@"
}

# The last place (x y width height) logged for a thing of a kind, from line $3 on.
logged() {
    awk -F'\t' -v kind="$1" -v name="$2" -v from="${3:-1}" \
        'NR >= from && $1 == kind && $2 == name { place = $NF } END { print place }' "$LOG"
}
log_lines() { wc -l <"$LOG"; }
has_logged() { [ -n "$(logged "$@")" ]; }
dialogs_logged() { grep -c $'^file\t' "$LOG" || true; }
more_dialogs_than() { [ "$(dialogs_logged)" -gt "$1" ]; }
status_is_playing() { tail -n 5 "$LOG" | grep -q $'^status\t正在播放'; }

window_of() { xdotool search --onlyvisible --name "${WINDOWS[$1]}" 2>/dev/null | head -n 1; }
window_shown() { [ -n "$(window_of "$1")" ]; }
window_gone() { [ -z "$(window_of "$1")" ]; }

click_at() {
    local x y w h
    read -r x y w h <<<"$1"
    [ -n "${h:-}" ] || fail "nothing to click"
    xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 1
}

# ---- the steps -----------------------------------------------------------------------
step_open() {
    environment "$BIN/Zelvo.FLV" "$MEDIA/$*" >>"$WORK/program.txt" 2>&1 || fail "could not hand \"$*\" to the running window"
}

step_wait_playing() {
    wait_for 20 status_is_playing || fail "the file does not play"
}

step_key() {
    xdotool windowfocus --sync "$(window_of main)"
    xdotool key "$1"
}

# A dialog of the main window closed with Esc.
step_close() {
    xdotool windowfocus --sync "$(window_of "$1")"
    xdotool key Escape
    wait_for 10 window_gone "$1" || fail "the $1 window does not close"
}

step_menu() {
    local title=$1 item=$2 from
    from=$(($(log_lines) + 1))
    click_at "$(logged menu "$title")"
    wait_for 10 has_logged menuitem "$item" "$from" || fail "menu $title has no item $item"
    click_at "$(logged menuitem "$item" "$from")"
}

# The playlist window writes where its buttons are when it moves: a nudge of one pixel
# (back and forth, so that it stays put), then the button's place is read into PLACE.
PLACE=
fresh_button() {
    local button=$1 from id x y
    from=$(($(log_lines) + 1))
    id=$(window_of list)
    read -r x y < <(xdotool getwindowgeometry "$id" | awk '/Position/ { split($2, p, ","); print p[1], p[2] }')
    xdotool windowmove --sync "$id" $((x % 2 == 0 ? x + 1 : x - 1)) "$y"
    wait_for 10 has_logged button "$button" "$from" ||
        fail "the playlist window shows no button $button"
    PLACE=$(logged button "$button" "$from")
}

step_browse() {
    local files
    fresh_button "$1"
    files=$(dialogs_logged)
    click_at "$PLACE"
    wait_for 10 more_dialogs_than "$files" || fail "$1 opened no file dialog"
}

# "取得屬性" sits under the left end of the file box, whose browse button is logged.
step_probe() {
    local x y w h left
    fresh_button mbMdSplit
    read -r x y w h <<<"$PLACE"
    left=$(xdotool getwindowgeometry "$(window_of list)" | awk '/Position/ { split($2, p, ","); print p[1] }')
    xdotool mousemove --sync $((left + 50)) $((y + h + 16)) click 1
}

# The window cropped to itself, once two grabs a moment apart agree (drawn to the end), in
# 256 colours.
grab() {
    local name=$1 window=$2 id previous="" current
    id=$(window_of "$window")
    [ -n "$id" ] || fail "no $window window for $name"
    xdotool windowraise "$id"
    for _ in 1 2 3 4 5 6; do
        sleep 0.3
        ffmpeg -nostdin -hide_banner -loglevel error -y -f x11grab -draw_mouse 0 \
            -window_id "$id" -i "$DISPLAY" -frames:v 1 "$WORK/grab.png"
        current=$(md5sum <"$WORK/grab.png")
        [ "$current" != "$previous" ] || break
        previous=$current
    done
    ffmpeg -nostdin -hide_banner -loglevel error -y -i "$WORK/grab.png" -vf \
        "split[a][b];[a]palettegen=max_colors=256:reserve_transparent=0[p];[b][p]paletteuse=dither=none" \
        "$OUT/$name.png"
    echo "$OUT/$name.png"
}

# ---- run -----------------------------------------------------------------------------
: >"$LOG"
environment "$BIN/Zelvo.FLV" >"$WORK/program.txt" 2>&1 &
PROGRAM_PID=$!
wait_for 30 window_shown main || fail "the main window did not come up"

while IFS= read -r line; do
    [ -n "${line// /}" ] || continue
    read -r name window _ <<<"$line"
    steps=$(awk '{ $1 = ""; $2 = ""; sub(/^ +/, ""); print }' <<<"$line")
    IFS=';' read -ra parts <<<"$steps"
    for step in "${parts[@]}"; do
        read -r verb args <<<"$step" || true
        [ -n "${verb:-}" ] || continue
        # shellcheck disable=SC2086
        "step_${verb//-/_}" $args
    done
    wait_for 10 window_shown "$window" || fail "no $window window for $name"
    grab "$name" "$window"
done <<<"$SHOTS"
