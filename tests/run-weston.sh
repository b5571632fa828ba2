#!/usr/bin/env bash
# Runs one test binary as a client of its own headless Wayland compositor
# (weston with the pixman renderer: no GPU; with its desktop shell and
# panel), on Qt's Wayland platform and with no X server named.
set -u
rt="$(mktemp -d)"
chmod 700 "$rt"
export XDG_RUNTIME_DIR="$rt" WAYLAND_DISPLAY=gw-wayland QT_QPA_PLATFORM=wayland
unset DISPLAY
weston --backend=headless-backend.so --use-pixman --width=1024 --height=768 \
  --socket=gw-wayland --idle-time=0 >"$rt/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 200); do
  [ -S "$rt/gw-wayland" ] && break
  kill -0 "$weston_pid" 2>/dev/null || break
  sleep 0.05
done
if [ ! -S "$rt/gw-wayland" ]; then
  echo "run-weston: weston did not start:" >&2
  cat "$rt/weston.log" >&2
  rm -rf "$rt"
  exit 1
fi
"$@"
rc=$?
kill "$weston_pid" 2>/dev/null
wait "$weston_pid" 2>/dev/null
rm -rf "$rt"
exit $rc
