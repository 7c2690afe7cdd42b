#!/usr/bin/env bash
# Soak test: the demo through many frames (default 20000) at a small size with
# Q and A pressed now and then, through `demo-tool capture`, twice:
#   1. the normal build (build/): resident memory is sampled every
#      SOAK_EVERY frames (a frame is saved then) and must stay flat once the
#      timeline has entered its last act;
#   2. the sanitizer build (build-asan/): any AddressSanitizer, leak or
#      undefined-behaviour report fails the run.
#
#   tools/soak.sh [frames]   SOAK_SIZE=WxH (default 96x54), SOAK_EVERY=K (default 1000),
#                            SOAK_PHASES="rss asan" (default both), SOAK_BUILD=folder of
#                            the normal build (default build, made by tools/build.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

frames=${1:-20000}
size=${SOAK_SIZE:-96x54}
every=${SOAK_EVERY:-1000}
phases=${SOAK_PHASES:-rss asan}
# The timeline's acts end at frame 4320; from then on every frame does the
# same work, so memory must not grow. The first sample at or after this
# frame is the baseline; later samples may exceed it by the slack below.
settled_frame=4500
slack_kb=${SOAK_SLACK_KB:-2048}

# Q held for 60 frames, then A for 60, every 700 frames.
keys=""
for ((f = 200; f + 400 <= frames; f += 700)); do
    keys+="${keys:+,}$f:Q:down,$((f + 60)):Q:up,$((f + 300)):A:down,$((f + 360)):A:up"
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Runs capture with the given binary and prints "frame rss_kb" each time a
# frame file appears; the capture's stderr goes to $out/stderr.txt.
run_capture() {
    local tool=$1 frames_dir=$out/frames
    rm -rf "$frames_dir"
    mkdir -p "$frames_dir"
    "$tool" capture --out "$frames_dir" --frames "$frames" --every "$every" --size "$size" --keys "$keys" \
        > "$out/stdout.txt" 2> "$out/stderr.txt" &
    local pid=$! seen=0
    while kill -0 "$pid" 2> /dev/null; do
        local count
        count=$(find "$frames_dir" -name 'frame-*.png' | wc -l)
        if [ "$count" -gt "$seen" ]; then
            seen=$count
            local rss
            rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2> /dev/null || true)
            [ -n "$rss" ] && echo "$((seen * every)) $rss"
        fi
        sleep 0.2
    done
    wait "$pid"
}

status=0

if [[ " $phases " == *" rss "* ]]; then
    normal_build=${SOAK_BUILD:-build}
    if [ "$normal_build" = build ]; then
        tools/build.sh > /dev/null
    else
        cmake --build "$normal_build" -j "$(nproc)" --target demo-tool > /dev/null
    fi
    echo "soak (normal build): $frames frames at $size, resident memory every $every frames"
    run_capture "$normal_build/bin/demo-tool" > "$out/rss.txt" || { cat "$out/stderr.txt"; echo "capture failed"; exit 1; }
    awk -v settled="$settled_frame" -v slack="$slack_kb" '
        { printf "  frame %6d  %8.1f MB\n", $1, $2 / 1024 }
        $1 >= settled && base == "" { base = $2 }
        $1 >= settled { last = $2; if ($2 > peak) peak = $2 }
        END {
            if (base == "") { print "  too few frames to judge memory"; exit 0 }
            printf "  settled %.1f MB, end %.1f MB, peak after settling %.1f MB\n", base / 1024, last / 1024, peak / 1024
            if (peak > base + slack) { print "  FAILED: resident memory grew"; exit 1 }
        }' "$out/rss.txt" || status=1
    cat "$out/stdout.txt"
fi

if [[ " $phases " == *" asan "* ]]; then
    CC=clang CXX=clang++ cmake -S . -B build-asan -DSANITIZE=ON -DBUILD_FUZZERS=ON -DBUILD_BENCHMARKS=OFF > /dev/null
    cmake --build build-asan -j "$(nproc)" --target demo-tool > /dev/null
    source tools/sanitizer-env.sh
    echo "soak (sanitizer build): $frames frames at $size"
    if ! run_capture build-asan/bin/demo-tool > "$out/rss-asan.txt" ||
        grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$out/stderr.txt"; then
        grep -v '^ALSA' "$out/stderr.txt" | head -n 80
        echo "  FAILED: sanitizer report or capture failure"
        status=1
    else
        echo "  no sanitizer report; resident memory (ASan) first/last: $(head -n 1 "$out/rss-asan.txt" | cut -d' ' -f2) kB /" \
             "$(tail -n 1 "$out/rss-asan.txt" | cut -d' ' -f2) kB"
        cat "$out/stdout.txt"
    fi
fi

exit $status
