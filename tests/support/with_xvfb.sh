#!/usr/bin/env bash
# Runs a command inside a private Xvfb server of the given screen size.
# Usage: with_xvfb.sh WIDTHxHEIGHT COMMAND [ARGS...]
#
# The server picks a free display number itself (-displayfd) and reports it once it accepts
# connections, so several test runs on one machine (other checkouts, other build folders) never
# end up on one server, where the first to finish would take the display away from the others.
# -noreset: by default the server resets whenever its last client disconnects and refuses
# connections meanwhile, which fails a test that opens the next window right after the last
# one closed.
set -u
screen=$1
shift
dir=$(mktemp -d)
Xvfb -displayfd 1 -screen 0 "${screen}x24" -nolisten tcp -noreset >"$dir/display" 2>"$dir/log" &
server=$!
for _ in $(seq 1 200); do
  [ -s "$dir/display" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.05
done
if [ ! -s "$dir/display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$dir/log" >&2
  kill "$server" 2>/dev/null
  rm -rf "$dir"
  exit 1
fi
export DISPLAY=":$(head -1 "$dir/display")"
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$dir"
exit "$status"
