#!/usr/bin/env bash
# Measures the desktop program's processor use and frame pacing in a virtual
# X server (Xvfb), driving it with xdotool the way a user would:
#
#   1. idle:     the drawing editor as it starts (tool 0, nothing pressed);
#   2. select:   a rectangle drawn and selected with the select tool, so that
#                its marching-ants box animates;
#   3. actors:   the animation screen with 64 actors and one selected (its
#                highlight animates);
#   4. playback: the 64-actor animation playing (actor 1 keyed to turn almost
#                a whole circle between frames 0 and 200).
#
# Each phase lasts SECONDS (default 10). Processor time is the process's own
# user + system time from /proc/PID/stat (all its threads), as a share of one
# core. Frames shown are recorded by the preload library present_log.c (the
# wall time and a hash of every frame uploaded to the window, and what its
# presentation cost: the texture upload, the scaling onto the window, the
# present, and the processor time of the three). That gives each phase's
# frames per second and mean cost per frame, and for playback the gaps
# between frames and the sequence of frames shown: OUT/playback_frames.txt
# holds one hash per line from frame 0, a frame that repeats the one before
# it counted once (the window is not sent a frame equal to the one it shows).
# --compare FILE checks that sequence against another run's, over their
# common length. The virtual screen holds the window up to scale 6.
#
# Usage: bench/desktop_cpu.sh [--exe PATH] [--scale N] [--seconds S] [--out DIR]
#                             [--compare FILE]
# Needs: Xvfb, xdotool, cc. Defaults: build/desk/kalvenorix, scale 2, 10 s,
# build/desk-bench/.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
exe=$here/../build/desk/kalvenorix
scale=2
seconds=10
out=$here/../build/desk-bench
compare=
while [ $# -gt 0 ]; do
    case $1 in
        --exe) exe=$2; shift 2 ;;
        --scale) scale=$2; shift 2 ;;
        --seconds) seconds=$2; shift 2 ;;
        --out) out=$2; shift 2 ;;
        --compare) compare=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
        *) echo "usage: $0 [--exe PATH] [--scale N] [--seconds S] [--out DIR] [--compare FILE]" >&2
           exit 2 ;;
    esac
done
for tool in Xvfb xdotool cc; do
    command -v $tool >/dev/null || { echo "$0: needs $tool" >&2; exit 2; }
done
[ -x "$exe" ] || { echo "$0: no program at $exe (build it first)" >&2; exit 2; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
log=$out/frames.txt
: >"$log"
cc -shared -fPIC -O2 -o "$out/present_log.so" "$here/present_log.c" -ldl

# A display number nobody uses.
display=90
while [ -e /tmp/.X$display-lock ] || [ -e /tmp/.X11-unix/X$display ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1600x2000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
program_pid=
cleanup() {
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null; wait "$program_pid" 2>/dev/null; fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=:$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

KN_PRESENT_LOG=$log LD_PRELOAD=$out/present_log.so "$exe" --no-keep --scale "$scale" &
program_pid=$!
window=$(xdotool search --sync --name '^KalveNorix$' | head -1)
sleep 2

now_ms() { date +%s%3N; }
# Screen pixels to the middle of the window pixels that show them.
place() { xdotool mousemove --window "$window" $(($1 * scale + scale / 2)) $(($2 * scale + scale / 2)); }
tap() { place "$1" "$2"; xdotool mousedown 1; sleep 0.05; xdotool mouseup 1; sleep 0.25; }
drag() {
    place "$1" "$2"; xdotool mousedown 1; sleep 0.05
    for step in 1 2 3 4 5 6 7 8; do
        place $(($1 + ($3 - $1) * step / 8)) $(($2 + ($4 - $2) * step / 8)); sleep 0.03
    done
    xdotool mouseup 1; sleep 0.25
}
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' /proc/"$program_pid"/stat; }
hz=$(getconf CLK_TCK)

# Runs one phase: CPU share of one core and frames shown per second.
measure() {
    local name=$1 t0 t1 c0 c1
    t0=$(now_ms); c0=$(cpu_ticks)
    sleep "$seconds"
    t1=$(now_ms); c1=$(cpu_ticks)
    awk -v name="$name" -v t0="$t0" -v t1="$t1" -v c="$((c1 - c0))" -v hz="$hz" '
        $1 >= t0 && $1 < t1 { n++; up += $4; copy += $5; show += $6; cpu += $7 }
        END { printf "%-9s cpu %5.1f%% of one core   %6.1f frames/s",
              name, 100 * c / hz / ((t1 - t0) / 1000), n * 1000 / (t1 - t0)
              if (n > 0) printf "   per frame: upload %4.0f us, scaling %5.0f us, present %5.0f us, processor %5.0f us",
                                up / n, copy / n, show / n, cpu / n
              printf "\n" }' "$log"
}

echo "program: $exe (scale $scale, $seconds s per phase, $(sed -n 's/^# renderer /renderer /p' "$log" | head -1))"
measure idle

# Rectangle tool (chooser item 2), a rectangle, select tool (item 4), select it.
tap 210 10; tap 210 50
drag 60 100 160 200
tap 210 10; tap 210 90
tap 110 150
sleep 1
measure select

# Animation screen (mode 1 of the selector); 64 actors of the drawing.
tap 230 10; tap 230 30
for _ in $(seq 64); do tap 7 310; done
# Actor 1 (its tab is the rightmost) keyed at frame 0 (angle 1.9 degrees) and
# frame 200 (358.1 degrees) on the pose screen: the frame slider, the pose
# button, the dial, close.
tap 232 310
tap 230 30; tap 90 10; tap 165 161; tap 120 60
tap 230 230; tap 90 10; tap 165 159; tap 120 60
sleep 1
measure actors

start=$(now_ms)
tap 30 10
measure playback
stop=$(now_ms)
tap 120 160
sleep 0.5

# Playback frames: the bare ones (no mode selector) after the play tap and
# before the stop.
awk -v t0="$start" -v t1="$stop" '$1 >= t0 && $1 < t1 && $3 == 1' "$log" >"$out/playback_log.txt"
# Gaps between frames as they reach the window. They vary by the render time
# of the frame; a long one means repeated frames that were not sent again.
awk 'NR > 1 { print $1 - last } { last = $1 }' "$out/playback_log.txt" | sort -n |
    awk '{ gap[NR] = $1 }
         END { printf "playback  %d frames, gaps between frames: min %d ms, median %d ms, max %d ms\n",
               NR + 1, gap[1], gap[int((NR + 1) / 2)], gap[NR] }'
awk '{ print $2 }' "$out/playback_log.txt" | uniq >"$out/playback_frames.txt"
echo "playback  $(sort -u "$out/playback_frames.txt" | wc -l) different frames; sequence in $out/playback_frames.txt"
if [ -n "$compare" ]; then
    lines=$(wc -l <"$compare"); [ "$(wc -l <"$out/playback_frames.txt")" -lt "$lines" ] && lines=$(wc -l <"$out/playback_frames.txt")
    if cmp -s <(head -"$lines" "$compare") <(head -"$lines" "$out/playback_frames.txt"); then
        echo "playback  the first $lines frames are those of $compare"
    else
        echo "playback  DIFFERENT from $compare within the first $lines frames"
    fi
fi
