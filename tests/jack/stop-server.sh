#!/usr/bin/env bash
# Stops the server started by start-server.sh. Usage: stop-server.sh PIDFILE
set -uo pipefail
pidfile=$1
[ -f "$pidfile" ] || exit 0
pid=$(cat "$pidfile")
kill "$pid" 2>/dev/null
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -9 "$pid" 2>/dev/null
rm -f "$pidfile"
exit 0
