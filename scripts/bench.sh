#!/usr/bin/env bash
# Downloads and uploads one file (1 GiB unless CORVANE_BENCH_MIB says otherwise)
# from a local pyftpdlib, once through the program's own path (the FTP view's commands,
# the transfer workers and the progress panels, on a virtual display) and once with curl,
# and prints both times and their ratio. Then trees of small files: a folder of 1 KiB
# files (2,000 unless CORVANE_BENCH_TREE_FILES says otherwise) down and up through the
# program and with lftp's mirror, from pyftpdlib (MLSD) and vsftpd (LIST only), and a
# growth run over CORVANE_BENCH_GROWTH files (500 2000 8000) that shows the time per file.
# CORVANE_BENCH_ONLY=file or tree runs one of the two sections.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" >/dev/null
source "$root/scripts/wine-env.sh"
mib=${CORVANE_BENCH_MIB:-1024}
only=${CORVANE_BENCH_ONLY:-}

# Files live in memory when the machine offers it, so that the disk's write-back
# does not decide the figures of either client.
ram=/dev/shm
[ -d "$ram" ] && [ -w "$ram" ] || ram=${TMPDIR:-/tmp}
state=$(mktemp -d -p "$ram")
work=$(mktemp -d -p "$ram")
cleanup() {
    [ -f "$state/pids" ] && xargs -r kill <"$state/pids" 2>/dev/null || true
    rm -rf "$state" "$work"
}
trap cleanup EXIT
source "$root/tests/fixtures/start_servers.sh" "$state"
url="ftp://$CORVANE_FTP_USER:$CORVANE_FTP_PASSWORD@$CORVANE_FTP_HOST:$CORVANE_FTP_PORT"

best() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }

# The program's own path on a virtual display: host port user password remote-entry
# local-folder upload-entry [remote-folder]; prints "download T s" and "upload T s".
ours() {
    xvfb-run -a -s "-screen 0 800x700x24" wine "$build/program_transfer_bench.exe" "$@"
}

file_section() {
    head -c "$((mib * 1024 * 1024))" /dev/urandom >"$CORVANE_FTP_ROOT/bench.bin"
    cp "$CORVANE_FTP_ROOT/bench.bin" "$work/source.bin"
    # Three rounds, alternating the clients; each keeps its best time, so a busy
    # moment on the machine does not decide the ratio.
    local curl_down= curl_up= ours_down= ours_up= time result
    for round in 1 2 3; do
        time=$(curl -s -o "$work/curl.bin" -w '%{time_total}' "$url/bench.bin")
        curl_down=$(best "$curl_down" "$time")
        time=$(curl -s -T "$work/source.bin" -w '%{time_total}' "$url/bench.curl-up")
        curl_up=$(best "$curl_up" "$time")
        cmp -s "$work/curl.bin" "$work/source.bin" || { echo "curl download differs" >&2; exit 1; }
        rm -f "$work/curl.bin" "$CORVANE_FTP_ROOT/bench.curl-up"

        # The local view names folders without a drive letter, as the handheld does.
        mkdir -p "$work/ours"
        result=$(ours "$CORVANE_FTP_HOST" "$CORVANE_FTP_PORT" "$CORVANE_FTP_USER" \
            "$CORVANE_FTP_PASSWORD" bench.bin "${work//\//\\}\\ours" "Z:$work/source.bin")
        echo "round $round, ours: $(tr '\n' ';' <<<"$result")"
        cmp -s "$work/ours/bench.bin" "$work/source.bin" || { echo "our download differs" >&2; exit 1; }
        cmp -s "$CORVANE_FTP_ROOT/source.bin" "$work/source.bin" || { echo "our upload differs" >&2; exit 1; }
        rm -rf "$work/ours" "$CORVANE_FTP_ROOT/source.bin"
        ours_down=$(best "$ours_down" "$(awk '/^download/ {print $2}' <<<"$result")")
        ours_up=$(best "$ours_up" "$(awk '/^upload/ {print $2}' <<<"$result")")
    done
    rm -f "$CORVANE_FTP_ROOT/bench.bin" "$work/source.bin"
    awk -v mib="$mib" -v cd="$curl_down" -v cu="$curl_up" -v od="$ours_down" -v ou="$ours_up" 'BEGIN {
        printf "file: %d MiB, best of three rounds\n", mib
        printf "download: ours %.3f s, curl %.3f s, ratio %.2f\n", od, cd, od / cd
        printf "upload:   ours %.3f s, curl %.3f s, ratio %.2f\n", ou, cu, ou / cu
    }'
}

# A folder of n files of 1 KiB.
make_tree() {
    mkdir -p "$1"
    for i in $(seq 1 "$2"); do head -c 1024 /dev/urandom >"$1/f$i"; done
}

count_files() { find "$1" -type f | wc -l; }

# One tree of n files, down and up, ours then lftp's mirror, on one server:
# server-name n host port user password served-folder(on disk) remote-folder(as the client names it)
tree_round() {
    local name=$1 n=$2 host=$3 port=$4 user=$5 password=$6 served=$7 remote=$8
    local down=flat-$n up=up-$n start result lftp_down lftp_up
    make_tree "$served/$down" "$n"
    make_tree "$work/$up" "$n"
    mkdir -p "$work/ours"
    result=$(ours "$host" "$port" "$user" "$password" "$down" "${work//\//\\}\\ours" \
        "Z:$work/$up" "$remote")
    [ "$(count_files "$work/ours/$down")" = "$n" ] || { echo "$name: our download is short" >&2; exit 1; }
    [ "$(count_files "$served/$up")" = "$n" ] || { echo "$name: our upload is short" >&2; exit 1; }
    rm -rf "$work/ours" "$served/$up"

    local lftp_open="set ftp:passive-mode on; set net:max-retries 1; cd $remote"
    start=$(now)
    lftp -u "$user,$password" -p "$port" -e "$lftp_open; mirror $down $work/lftp; quit" "$host" >/dev/null
    lftp_down=$(since "$start")
    start=$(now)
    lftp -u "$user,$password" -p "$port" -e "$lftp_open; mirror -R $work/$up $up; quit" "$host" >/dev/null
    lftp_up=$(since "$start")
    [ "$(count_files "$work/lftp")" = "$n" ] || { echo "$name: lftp download is short" >&2; exit 1; }
    rm -rf "$work/lftp" "$served/$up" "$served/$down" "$work/$up"
    awk -v s="$name" -v n="$n" -v lftp_down="$lftp_down" -v lftp_up="$lftp_up" \
        -v od="$(awk '/^download/ {print $2}' <<<"$result")" \
        -v ou="$(awk '/^upload/ {print $2}' <<<"$result")" 'BEGIN {
        printf "%s, %d files: download ours %.3f s, lftp %.3f s, ratio %.2f, %.2f ms/file\n",
               s, n, od, lftp_down, od / lftp_down, 1000 * od / n
        printf "%s, %d files: upload   ours %.3f s, lftp %.3f s, ratio %.2f, %.2f ms/file\n",
               s, n, ou, lftp_up, ou / lftp_up, 1000 * ou / n
    }'
}

tree_section() {
    local n=${CORVANE_BENCH_TREE_FILES:-2000}
    echo "trees of 1 KiB files"
    tree_round pyftpdlib "$n" "$CORVANE_FTP_HOST" "$CORVANE_FTP_PORT" "$CORVANE_FTP_USER" \
        "$CORVANE_FTP_PASSWORD" "$CORVANE_FTP_ROOT" /
    if [ -n "${CORVANE_VSFTPD_PORT:-}" ]; then
        tree_round vsftpd "$n" 127.0.0.1 "$CORVANE_VSFTPD_PORT" anonymous guest@ \
            "$CORVANE_VSFTPD_ROOT/pub" pub
    fi
    echo "growth (pyftpdlib)"
    for n in ${CORVANE_BENCH_GROWTH:-500 2000 8000}; do
        tree_round pyftpdlib "$n" "$CORVANE_FTP_HOST" "$CORVANE_FTP_PORT" "$CORVANE_FTP_USER" \
            "$CORVANE_FTP_PASSWORD" "$CORVANE_FTP_ROOT" /
    done
}

[ "$only" = tree ] || file_section
[ "$only" = file ] || tree_section
