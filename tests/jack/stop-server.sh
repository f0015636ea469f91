#!/usr/bin/env bash
# Stops the server started by start-server.sh and returns once it has left JACK's registry.
# Usage: stop-server.sh PIDFILE SWEEP   (SWEEP: the jack_registry_sweep program)
set -uo pipefail
pidfile=$1 sweep=$2
[ -f "$pidfile" ] || exit 0
pid=$(cat "$pidfile")
# A process that nobody reaps stays a zombie: it has ended all the same.
ended() { ! kill -0 "$pid" 2>/dev/null || [[ $(ps -o stat= -p "$pid" 2>/dev/null) == Z* ]]; }
wait_for_end() {
  for _ in $(seq 1 "$1"); do
    ended && return 0
    sleep 0.1
  done
  return 1
}
# Asked to stop, the server closes its clients, frees its shared memory and unregisters; on a
# busy machine that may take a while. A server that hangs is killed, and jackd itself dies half-way
# (of SIGPIPE) when a client closes under it: what either leaves in the registry is swept.
kill "$pid" 2>/dev/null
wait_for_end 300 || { kill -9 "$pid" 2>/dev/null; wait_for_end 100; }
"$sweep"
rm -f "$pidfile"
exit 0
