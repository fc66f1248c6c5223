#!/bin/sh
# run_with_sim.sh SIM PROGRAM: starts the virtual wall SIM on a free loopback
# port, runs PROGRAM with that port as its one argument, stops the wall and
# exits with PROGRAM's status.
sim=$1
program=$2
out=$(mktemp)
"$sim" --port 0 >"$out" 2>&1 &
pid=$!
port=
for _ in $(seq 100); do
    port=$(sed -n 's/^ledwall-sim listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$out")
    [ -n "$port" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$port" ]; then
    echo "the virtual wall did not start:" >&2
    cat "$out" >&2
    kill "$pid" 2>/dev/null
    rm -f "$out"
    exit 125
fi
"$program" "$port"
status=$?
kill "$pid"
wait "$pid" 2>/dev/null
rm -f "$out"
exit "$status"
