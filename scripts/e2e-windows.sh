#!/usr/bin/env bash
# End to end on Windows' side: the Windows qimbra.exe bound to the demo
# gallery's hosts (the windows-demo preset) runs under Wine on a virtual X
# display (Xvfb, Wine's real X11 driver) against the Linux demo gallery
# (build/demo/qimbra_demo_gallery). It is driven through its window with
# xdotool: the save folder is typed into the box and 开始采集 is clicked.
# Then the demo's 22 pictures must be in their five entry folders, the notice
# (友情提醒, 采集完成) must appear and close itself, and the program must exit
# with 0 once its window is closed. Keeps a screenshot of the window as
# docs/window-windows.png. Prints how long each step took.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
scripts/setup.sh

step() {
  local name="$1" start=$SECONDS
  shift
  "$@"
  echo "e2e-windows: $name: $((SECONDS - start)) s"
}
fail() {
  echo "e2e-windows: FAILED: $*" >&2
  exit 1
}

build_gallery() {
  [ -f build/CMakeCache.txt ] || cmake --preset default >/dev/null
  cmake --build build --target qimbra_demo_gallery
}
step "demo gallery build" build_gallery
step "windows-demo build" bash -c 'cmake --preset windows-demo >/dev/null && cmake --build --preset windows-demo'

work="$root/build-windows-demo/e2e"
wine_dir=/usr/lib/wine
export WINEPREFIX="$work/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
locale_dir="$work/locale"
in_locale=(env LOCPATH="$locale_dir" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8)

for port in 28443 28444; do
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
    fail "port $port is already taken (a demo gallery still running?)"
  fi
done

pids=()
cleanup() {
  "$wine_dir/wineserver" -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# A display of its own: the first free number from 90 on.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
export DISPLAY=":$display"
Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)

prepare() {
  "$wine_dir/wineserver" -k 2>/dev/null || true
  rm -rf "$work"
  mkdir -p "$work" "$locale_dir"
  localedef -i zh_CN -f UTF-8 "$locale_dir/zh_CN.UTF-8"
  "${in_locale[@]}" "$wine_dir/wine64" wineboot -i >/dev/null 2>&1
  "$wine_dir/wineserver" -w
}
step "wine prefix" prepare

gallery_log="$work/gallery.log"
build/demo/qimbra_demo_gallery 127.0.0.1:28443 localhost:28444 >"$gallery_log" 2>&1 &
pids+=($!)
gallery_pid=$!
for _ in $(seq 1 100); do
  grep -q "archive at" "$gallery_log" 2>/dev/null && break
  kill -0 "$gallery_pid" 2>/dev/null || fail "the demo gallery did not start: $(cat "$gallery_log")"
  sleep 0.1
done

out="$work/out"
mkdir -p "$out"
# The folder as Windows names it: Wine's Z: is the Linux root.
folder="Z:${out//\//\\}\\album"

started=$SECONDS
"${in_locale[@]}" "$wine_dir/wine64" build-windows-demo/app/win32/qimbra.exe >"$work/qimbra.log" 2>&1 &
qimbra_pid=$!
pids+=($qimbra_pid)

window=$(xdotool search --sync --onlyvisible --name 'Qimbra采集器' | head -n 1)
[ -n "$window" ] || fail "the window did not appear"
echo "e2e-windows: window up after $((SECONDS - started)) s"
sleep 1
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"

# The box has the focus at first: replace its text with the folder.
xdotool key --clearmodifiers End shift+Home BackSpace
xdotool type --delay 20 "$folder"
sleep 0.5

# Click 开始采集 at its place in the window (button 264,128 96x48 in the
# client area; the client area starts below Wine's own caption when no window
# manager draws one).
eval "$(xdotool getwindowgeometry --shell "$window")"
frame_height=$((HEIGHT - 250))
frame_width=$(((WIDTH - 380) / 2))
client_x=$((X + frame_width))
client_y=$((Y + frame_height - frame_width))
xdotool mousemove --sync $((client_x + 264 + 48)) $((client_y + 128 + 24)) click 1

# The run: 22 pictures 500 ms apart, then the notice.
notice=""
for _ in $(seq 1 120); do
  notice=$(xdotool search --onlyvisible --name '友情提醒' 2>/dev/null | head -n 1 || true)
  [ -n "$notice" ] && break
  sleep 0.5
done
[ -n "$notice" ] || fail "no notice within 60 s; saved so far: $(find "$out" -type f | wc -l)"
echo "e2e-windows: notice after $((SECONDS - started)) s"
sleep 0.5
xwd -silent -root -display "$DISPLAY" | convert xwd:- -crop 800x400+0+0 +repage "$work/screen-notice.png"

# The notice closes itself after 5 s.
for _ in $(seq 1 40); do
  xdotool search --onlyvisible --name '友情提醒' >/dev/null 2>&1 || break
  sleep 0.25
done
if xdotool search --onlyvisible --name '友情提醒' >/dev/null 2>&1; then fail "the notice did not close itself"; fi
sleep 0.5
xwd -silent -id "$window" -display "$DISPLAY" | convert xwd:- docs/window-windows.png

# The pictures, each in its entry's folder.
expected="$work/expected.txt"
{
  for entry in 春日花园:4 雨后的西湖:5 秋叶与长城:3 雪夜灯笼:4 海边日落:6; do
    for n in $(seq 1 "${entry#*:}"); do echo "album/${entry%:*}/$n.jpeg"; done
  done
} | LC_ALL=C sort >"$expected"
(cd "$out" && find album -type f | LC_ALL=C sort) >"$work/saved.txt"
diff -u "$expected" "$work/saved.txt" || fail "the saved files differ from the demo's 22 pictures"
while read -r file; do
  head -c 3 "$out/$file" | od -An -tx1 | grep -q "ff d8 ff" || fail "$file is no JPEG"
done <"$work/saved.txt"
echo "e2e-windows: 22 pictures in 5 folders after $((SECONDS - started)) s"

# Closing the window ends the program with 0.
xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool key --window "$window" --clearmodifiers alt+F4
code=0
for _ in $(seq 1 40); do
  kill -0 "$qimbra_pid" 2>/dev/null || break
  sleep 0.25
done
if kill -0 "$qimbra_pid" 2>/dev/null; then fail "the program still runs after its window was closed"; fi
wait "$qimbra_pid" || code=$?
[ "$code" -eq 0 ] || fail "the program exited with $code"
echo "e2e-windows: exit code 0 after closing; whole run $((SECONDS - started)) s"
