#!/usr/bin/env bash
# Downloads and uploads one file (1 GiB unless CORVANE_BENCH_MIB says otherwise)
# from a local pyftpdlib, and over TLS from a local vsftpd, once through the program's
# own path (the FTP view's commands, the transfer workers and the progress panels, on a
# virtual display) and once with curl, and prints both times and their ratio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" >/dev/null
source "$root/scripts/wine-env.sh"
mib=${CORVANE_BENCH_MIB:-1024}

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

# Three rounds, alternating the clients; each keeps its best time, so a busy
# moment on the machine does not decide the ratio.
best() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

# usage: compare LABEL URL SERVER-FOLDER REMOTE-FOLDER HOST PORT USER PASSWORD [AUTHORITY] -- CURL-OPTIONS
# The file bench.bin lies in SERVER-FOLDER on disk, which the server shows as REMOTE-FOLDER.
compare() {
    local label=$1 url=$2 folder=$3 remote=$4 host=$5 port=$6 user=$7 password=$8
    shift 8
    local authority=()
    [ "$1" != -- ] && { authority=("Z:$1"); shift; }
    shift
    cp "$work/source.bin" "$folder/bench.bin"
    local curl_down= curl_up= ours_down= ours_up= time ours round
    for round in 1 2 3; do
        time=$(curl -s "$@" -o "$work/curl.bin" -w '%{time_total}' "$url/bench.bin")
        curl_down=$(best "$curl_down" "$time")
        time=$(curl -s "$@" -T "$work/source.bin" -w '%{time_total}' "$url/bench.curl-up")
        curl_up=$(best "$curl_up" "$time")
        cmp -s "$work/curl.bin" "$work/source.bin" || { echo "curl download differs" >&2; exit 1; }
        cmp -s "$folder/bench.curl-up" "$work/source.bin" || { echo "curl upload differs" >&2; exit 1; }
        rm -f "$work/curl.bin" "$folder/bench.curl-up"

        # The local view names folders without a drive letter, as the handheld does.
        mkdir -p "$work/ours"
        ours=$(xvfb-run -a -s "-screen 0 800x700x24" wine "$build/program_transfer_bench.exe" \
            "$host" "$port" "$user" "$password" "$remote${remote:+/}bench.bin" \
            "${work//\//\\}\\ours" "Z:$work/source.bin" "${authority[@]}")
        echo "$label round $round, ours: $(tr '\n' ';' <<<"$ours")"
        cmp -s "$work/ours/bench.bin" "$work/source.bin" || { echo "our download differs" >&2; exit 1; }
        cmp -s "$folder/source.bin" "$work/source.bin" || { echo "our upload differs" >&2; exit 1; }
        rm -rf "$work/ours" "$folder/source.bin"
        ours_down=$(best "$ours_down" "$(awk '/^download/ {print $2}' <<<"$ours")")
        ours_up=$(best "$ours_up" "$(awk '/^upload/ {print $2}' <<<"$ours")")
    done
    rm -f "$folder/bench.bin"
    awk -v label="$label" -v cd="$curl_down" -v cu="$curl_up" -v od="$ours_down" -v ou="$ours_up" 'BEGIN {
        printf "%s download: ours %.3f s, curl %.3f s, ratio %.2f\n", label, od, cd, od / cd
        printf "%s upload:   ours %.3f s, curl %.3f s, ratio %.2f\n", label, ou, cu, ou / cu
    }' >>"$work/summary"
}

head -c "$((mib * 1024 * 1024))" /dev/urandom >"$work/source.bin"
compare plain "ftp://$CORVANE_FTP_USER:$CORVANE_FTP_PASSWORD@$CORVANE_FTP_HOST:$CORVANE_FTP_PORT" \
    "$CORVANE_FTP_ROOT" "" "$CORVANE_FTP_HOST" "$CORVANE_FTP_PORT" \
    "$CORVANE_FTP_USER" "$CORVANE_FTP_PASSWORD" --
# Over TLS against vsftpd (require_ssl_reuse=YES), whose certificate the test authority issued.
if [ -n "${CORVANE_VSFTPS_PORT:-}" ]; then
    compare tls "ftp://localhost:$CORVANE_VSFTPS_PORT/pub" "$CORVANE_VSFTPD_ROOT/pub" pub \
        localhost "$CORVANE_VSFTPS_PORT" anonymous "" "$CORVANE_FTPS_CA" -- --ssl-reqd -k
else
    echo "vsftpd with TLS did not start: no TLS figures" >&2
fi

echo "file: $mib MiB, best of three rounds"
cat "$work/summary"
