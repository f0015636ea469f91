#!/usr/bin/env bash
# Starts a private JACK server with the dummy driver: a real output device and MIDI bus for
# tests on machines without sound hardware. Any other JACK server on the machine is left alone.
# Usage: start-server.sh NAME PIDFILE SWEEP   (SWEEP: the jack_registry_sweep program)
set -euo pipefail
name=$1 pidfile=$2 sweep=$3
answers() { JACK_DEFAULT_SERVER=$name jack_lsp >/dev/null 2>&1; }
if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null && answers; then exit 0; fi
export JACK_NO_AUDIO_RESERVATION=1
# JACK's table of running servers holds eight. Servers that ended without unregistering keep
# their places until swept; servers of other test runs hold theirs until they stop, so a full
# table is waited out.
deadline=$((SECONDS + 60))
while :; do
  "$sweep"
  setsid jackd -n "$name" --no-realtime -d dummy -r 48000 -p 256 >"$pidfile.log" 2>&1 &
  pid=$!
  echo "$pid" >"$pidfile"
  while [ "$SECONDS" -lt "$deadline" ]; do
    if answers; then exit 0; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  # Ended on a full table: try again once a place may have come free.
  grep -qi "too many servers" "$pidfile.log" && [ "$SECONDS" -lt "$deadline" ] || break
  sleep 1
done
echo "JACK server '$name' did not come up; its log:" >&2
cat "$pidfile.log" >&2
exit 1
