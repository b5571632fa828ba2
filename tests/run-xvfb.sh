#!/usr/bin/env bash
# Runs one test binary under its own Xvfb server (WebEngine, screenshots).
set -u
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"
