#!/usr/bin/env bash
# Runs a command with a PulseAudio server of its own whose default sink is
# a null sink ("nullsink"), so that audio really plays with no sound card.
# PULSE_SERVER points the command at it; the server stops afterwards.
set -u
dir=$(mktemp -d /tmp/gw-pulse.XXXXXX)
mkdir -p "$dir/runtime" "$dir/home"
chmod 700 "$dir/runtime"
cat > "$dir/server.pa" <<PA
load-module module-null-sink sink_name=nullsink
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/native
set-default-sink nullsink
PA
XDG_RUNTIME_DIR="$dir/runtime" HOME="$dir/home" \
  pulseaudio -n -F "$dir/server.pa" --exit-idle-time=-1 --daemonize=no \
  --use-pid-file=no </dev/null >"$dir/server.log" 2>&1 &
server=$!
export PULSE_SERVER="unix:$dir/native"
ready=0
for _ in $(seq 100); do
  if pactl info >/dev/null 2>&1; then ready=1; break; fi
  sleep 0.1
done
if [ "$ready" != 1 ]; then
  echo "run-with-pulse: the sound server did not start:" >&2
  cat "$dir/server.log" >&2
  kill "$server" 2>/dev/null; wait "$server" 2>/dev/null
  rm -rf "$dir"
  exit 1
fi
# An idle null sink sleeps in two-second blocks and so starts a new stream
# up to two seconds late; a quiet low-latency stream keeps it waking often,
# as a sound card would.
pacat --playback --raw --latency-msec=20 /dev/zero >/dev/null 2>&1 &
keeper=$!
for _ in $(seq 50); do
  [ -n "$(pactl list short sink-inputs 2>/dev/null)" ] && break
  sleep 0.1
done
sleep 2   # the block the sink was sleeping in when the stream came
"$@" </dev/null
rc=$?
kill "$keeper" 2>/dev/null
wait "$keeper" 2>/dev/null
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$dir"
exit $rc
