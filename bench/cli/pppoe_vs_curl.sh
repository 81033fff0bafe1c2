#!/bin/bash
# Whole `zavro-cli pppoe` commands against the simulated router, next to the same requests
# made with the curl command line, on loopback. Prints the mean and median time of one
# command of each and their ratio.
#   bench/cli/pppoe_vs_curl.sh [BUILD_DIR (build/dev)] [RUNS (50)]
set -euo pipefail
build=${1:-build/dev}
runs=${2:-50}

# Only loopback: run in a fresh network namespace unless already in one.
if ip -o link show 2>/dev/null | grep -qv ': lo:'; then
    exec unshare -rn bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$build" "$runs"
fi

cli=$build/medium/Wizard/zavro-cli
sim=$build/bin/zavro-routersim
for p in "$cli" "$sim"; do [ -x "$p" ] || { echo "missing $p (build it first)" >&2; exit 1; }; done

work=$(mktemp -d)
trap 'kill $simpid 2>/dev/null; rm -rf "$work"' EXIT
"$sim" --port 0 --internet-port 0 --model 8 --quiet > "$work/sim.out" &
simpid=$!
for _ in $(seq 100); do grep -q listening "$work/sim.out" && break; sleep 0.02; done
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\) internet.*/\1/p' "$work/sim.out")
router=127.0.0.1:$port

printf 'pppoe-secret' > "$work/account"
# The form-encoded body zavro-cli sends for the same input (model 8, continuous).
printf 'pppUserName=bob&pppPassword=pppoe-secret&pppServName=&pppMTU=1392&pppConnectType=0&submit-url=%%2Fwanpppoe.asp&wanMode=2&ipMode=ppp' > "$work/body"

run_cli() {
    ZAVRO_ROUTER=$router ZAVRO_LOOPBACK_ONLY=1 "$cli" pppoe --user bob \
        --account-password-file "$work/account" > /dev/null
}
# The same three exchanges on one connection, as one curl command line: the login without
# credentials (401), the login answering the challenge, the PPPoE form.
run_curl() {
    curl -s -o /dev/null "http://$router/index.asp" \
        --next -s -o /dev/null -u admin:5820 "http://$router/index.asp" \
        --next -s -o /dev/null -u admin:5820 -H 'Content-Type:' -H 'Accept:' \
        --data-binary @"$work/body" "http://$router/goform/formWanTcpipSetup"
}

# One timed run in nanoseconds.
time_ns() {
    local start end
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    echo $((end - start))
}

run_cli; run_curl  # warm the caches
: > "$work/cli.ns"; : > "$work/curl.ns"
for _ in $(seq "$runs"); do
    time_ns run_cli >> "$work/cli.ns"
    time_ns run_curl >> "$work/curl.ns"
done
# The simulator took every command.
state=$(curl -s "http://$router/sim/status")
echo "$state" | grep -q '"wanType": 3' || { echo "the simulator did not take the PPPoE settings" >&2; exit 1; }

stats() {  # mean and median in ms
    sort -n "$1" | awk '{ v[NR] = $1; s += $1 } END {
        m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
        printf "%.2f %.2f\n", s / NR / 1e6, m / 1e6 }'
}
read -r cli_mean cli_median < <(stats "$work/cli.ns")
read -r curl_mean curl_median < <(stats "$work/curl.ns")
echo "pppoe against zavro-routersim on loopback, model 8, $runs runs each (ms per command)"
printf '%-34s %8s %8s\n' "" mean median
printf '%-34s %8s %8s\n' "zavro-cli pppoe" "$cli_mean" "$cli_median"
printf '%-34s %8s %8s\n' "curl, same 3 requests, 1 process" "$curl_mean" "$curl_median"
awk -v a="$cli_median" -v b="$curl_median" 'BEGIN { printf "ratio zavro-cli / curl (median): %.2f\n", a / b }'
