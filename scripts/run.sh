#!/usr/bin/env bash
# Sets up, builds the program against the local demo gallery (build-demo/, the
# "demo" preset: pages on 127.0.0.1:28443, images on localhost:28444), starts
# the gallery in the background and then the program. Press 开始采集 and watch
# the folders fill; the gallery stops when the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset demo >/dev/null
cmake --build --preset demo

# A second gallery cannot listen where one already does: say so and stop.
for port in 28443 28444; do
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
    echo "run: port $port is already taken (a demo gallery still running?); stop that program and try again" >&2
    exit 1
  fi
done

gallery_log="build-demo/demo-gallery.log"
build-demo/demo/qimbra_demo_gallery 127.0.0.1:28443 localhost:28444 >"$gallery_log" 2>&1 &
gallery_pid=$!
trap 'kill "$gallery_pid" 2>/dev/null || true; wait "$gallery_pid" 2>/dev/null || true' EXIT

# Wait until the gallery listens (it paints its pictures first).
for _ in $(seq 1 100); do
  if grep -q "archive at" "$gallery_log" 2>/dev/null; then break; fi
  if ! kill -0 "$gallery_pid" 2>/dev/null; then
    echo "run: the demo gallery did not start:" >&2
    cat "$gallery_log" >&2
    exit 1
  fi
  sleep 0.1
done
echo "run: demo gallery at https://127.0.0.1:28443/archives.html (log: $gallery_log)"
echo "run: type a save folder, e.g. $HOME/qimbra-demo, then press 开始采集"

build-demo/app/qt/qimbra
