#!/usr/bin/env bash
# Starts a private JACK server with the dummy driver: a real output device and MIDI bus for
# tests on machines without sound hardware. Usage: start-server.sh NAME PIDFILE
set -euo pipefail
name=$1 pidfile=$2
if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then exit 0; fi
export JACK_NO_AUDIO_RESERVATION=1
# Servers that were killed leave their entries in JACK's shared-memory registry, and once it is
# full no server starts ("Too many servers already active"). With no server running, every entry
# is stale.
if ! pgrep -x jackd >/dev/null; then
  rm -rf /dev/shm/jack-shm-registry /dev/shm/jack-[0-9]* /dev/shm/jack_sem.* /dev/shm/jack_db-* 2>/dev/null || true
fi
setsid jackd -n "$name" --no-realtime -d dummy -r 48000 -p 256 >"$pidfile.log" 2>&1 &
echo $! >"$pidfile"
for _ in $(seq 1 100); do
  if JACK_DEFAULT_SERVER=$name jack_lsp >/dev/null 2>&1; then exit 0; fi
  sleep 0.1
done
echo "JACK server '$name' did not come up; its log:" >&2
cat "$pidfile.log" >&2
exit 1
