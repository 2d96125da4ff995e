#!/usr/bin/env bash
# Start-up time and resident memory of `veltrop` against a bare Qt Widgets window, under Xvfb
# and openbox, on tables of 0, 10,000 and 1,000,000 records. Both programs run interleaved in
# the same session so that they share the machine's state; medians are printed.
#
#   bench/startup_bench.sh [BUILD_DIR [ROUNDS [BASELINE_DIR]]]     (defaults: build, 20)
#
# Needs the `benchmarks` target and `veltrop` built in BUILD_DIR. With BASELINE_DIR, the
# `veltrop` built there (an earlier version) runs in the same rounds too, and the report
# compares the two. Prints figures, never fails because of them.
set -euo pipefail

build=$(realpath "${1:-build}")
rounds=${2:-20}
sizes=(0 10000 1000000)

bench_dir="$build/bench"
veltrop=$(find "$build" -maxdepth 2 -name veltrop -type f -perm -u+x -print -quit)
for tool in "$bench_dir/window_mapped" "$bench_dir/bare_window" "$bench_dir/table_folder"; do
    [ -x "$tool" ] || { echo "missing $tool: build the 'benchmarks' target" >&2; exit 2; }
done
[ -n "$veltrop" ] || { echo "no veltrop executable under $build" >&2; exit 2; }
baseline=
if [ -n "${3:-}" ]; then
    baseline=$(find "$(realpath "$3")" -maxdepth 2 -name veltrop -type f -perm -u+x -print -quit)
    [ -n "$baseline" ] || { echo "no veltrop executable under $3" >&2; exit 2; }
fi

work=$(mktemp -d /tmp/veltrop-startup.XXXXXX)
xvfb_pid=
openbox_pid=
cleanup() {
    [ -z "$openbox_pid" ] || kill "$openbox_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

start_desktop() {
    mkfifo "$work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb_pid=$!
    local number
    read -r -t 20 number <"$work/display"
    export DISPLAY=":$number"
    unset QT_QPA_PLATFORM
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 0700 "$XDG_RUNTIME_DIR"
    openbox --sm-disable >/dev/null 2>&1 &
    openbox_pid=$!
    # openbox says it runs before it manages windows, and a window mapped meanwhile stays
    # unmanaged; so wait until it has managed one of ours.
    for _ in 1 2 3 4 5; do
        "$bench_dir/window_mapped" --timeout 5 Bare "$bench_dir/bare_window" >/dev/null 2>&1 &&
            return
    done
    echo "openbox does not manage windows" >&2
    exit 2
}

# Copies of the cached tables, so that nothing the program does reaches the cache.
prepare_tables() {
    local n
    for n in "${sizes[@]}"; do
        mkdir "$work/$n"
        cp "$("$bench_dir/table_folder" "$n")/Veltrop.DB" "$work/$n/"
    done
}

# measure SIZE KIND TITLE PROGRAM: one start-up, appended to the results as
# "size kind ms rss_kb exit_status".
measure() {
    local size=$1 kind=$2 title=$3 program=$4 figures
    if figures=$(cd "$work/$size" && "$bench_dir/window_mapped" "$title" "$program"); then
        echo "$size $kind $figures" >>"$work/results"
    else
        echo "round failed: $kind on $size records" >&2
    fi
}

# round FIRST: one start-up of each program per size; FIRST (bare or veltrop) goes first, so
# that alternating it cancels what one start leaves behind for the next.
round() {
    local n
    for n in "${sizes[@]}"; do
        if [ "$1" = bare ]; then
            measure "$n" bare Bare "$bench_dir/bare_window"
            [ -z "$baseline" ] || measure "$n" baseline Veltrop "$baseline"
            measure "$n" veltrop Veltrop "$veltrop"
        else
            measure "$n" veltrop Veltrop "$veltrop"
            [ -z "$baseline" ] || measure "$n" baseline Veltrop "$baseline"
            measure "$n" bare Bare "$bench_dir/bare_window"
        fi
    done
}

median() {
    sort -n | awk '{ v[NR] = $1 }
        END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2];
              else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# column SIZE KIND FIELD: the median of one field (3 = ms, 4 = rss kB) over the rounds.
column() {
    awk -v s="$1" -v k="$2" -v f="$3" '$1 == s && $2 == k { print $f }' "$work/results" | median
}

report() {
    echo "Start-up under Xvfb + openbox, medians of $rounds rounds (veltrop: $veltrop)"
    printf '%9s | %8s %8s %6s %11s | %8s %8s %7s %10s\n' records "bare ms" "velt ms" ratio \
        target "bare MB" "velt MB" "diff MB" target
    local n time_target rss_target bt vt br vr
    for n in "${sizes[@]}"; do
        case $n in
            10000) time_target=1.3 rss_target=15 ;;
            1000000) time_target=1.5 rss_target=- ;;
            *) time_target=- rss_target=- ;;
        esac
        bt=$(column "$n" bare 3) vt=$(column "$n" veltrop 3)
        br=$(column "$n" bare 4) vr=$(column "$n" veltrop 4)
        awk -v n="$n" -v bt="$bt" -v vt="$vt" -v br="$br" -v vr="$vr" -v tt="$time_target" \
            -v rt="$rss_target" '
            function mark(ok, t) { return t == "-" ? "-" : "<=" t (ok ? " ok" : " MISS") }
            BEGIN {
                ratio = vt / bt; diff = (vr - br) / 1024
                printf "%9d | %8.1f %8.1f %6.2f %11s | %8.1f %8.1f %7.1f %10s\n", n, bt, vt, ratio,
                    mark(ratio <= tt, tt), br / 1024, vr / 1024, diff, mark(diff <= rt, rt)
            }'
    done
    if [ -n "$baseline" ]; then
        echo "Against the baseline $baseline (target: no more than 5% slower)"
        printf '%9s | %8s %8s %6s | %8s %8s\n' records "base ms" "velt ms" ratio "base MB" "velt MB"
        for n in "${sizes[@]}"; do
            awk -v n="$n" -v bt="$(column "$n" baseline 3)" -v vt="$(column "$n" veltrop 3)" \
                -v br="$(column "$n" baseline 4)" -v vr="$(column "$n" veltrop 4)" 'BEGIN {
                printf "%9d | %8.1f %8.1f %6.2f | %8.1f %8.1f\n", n, bt, vt, vt / bt, br / 1024,
                    vr / 1024 }'
        done
    fi
    local failed
    failed=$(awk '$5 != 0' "$work/results" | wc -l)
    echo "runs: $(wc -l <"$work/results"), with a non-zero exit status: $failed"
}

start_desktop
prepare_tables
# The first round warms the caches; it is not counted.
round bare
: >"$work/results"
for ((r = 0; r < rounds; r++)); do
    if ((r % 2)); then round veltrop; else round bare; fi
done
report
