# The installed lyraphone.exe on a virtual display, driven by keyboard (sourced by
# scripts/test-windows-package, whose Wine prefix, simulator and helpers it uses).
#
# It starts the window and waits for its start-up search to reach DeviceId 10 on COM7 and to end,
# picks COM7 and DeviceId 1 and presses Connect (the pointer only rests in the window), waits for
# the handshake and for status polls that the device answers (the temperature the status bar
# shows), types -3 into band 1's gain and presses Enter, and then finds that edit's frame in the
# simulator's traffic log: exactly the frame the Linux lyraphone-cli sends for eq1.gain=-3.
# Screenshots go to $work/window-*.png.

# The simulator's traffic log: program frames as hex, one a line.
traffic=$work/sim-traffic.log
program_lines() { grep -c ' program ' "$traffic" || true; }
# sent_after <count> <hex>: a program frame starting so came after the first <count> ones.
sent_after() { grep ' program ' "$traffic" | tail -n +"$(($1 + 1))" | grep -q " program  *$2"; }

# The virtual display ($DISPLAY) was started before Wine's first process, so its desktop is on it.
shot() { import -window root "$work/window-$1.png"; say "screenshot build/${work#"$repo"/build/}/window-$1.png"; }

# The window, as the Start-menu entry starts it.
start_lines=$(program_lines)
(cd "$WINEPREFIX/drive_c" && exec wine "C:\\Program Files\\LYRAPHONE\\lyraphone.exe" \
   >"$work/window.out" 2>&1 </dev/null) &
window_pid=$!
pids+=("$window_pid")
window_id() { xdotool search --onlyvisible --name '^LYRAPHONE$' 2>/dev/null | head -n 1; }
window_up() { [ -n "$(window_id)" ]; }
wait_for 120 "LYRAPHONE window" window_up
wid=$(window_id)
say "window up"

# The start-up search asks DeviceIds 1..10 on every port: the status request of DeviceId 10
# (bus address 09) on COM7, then nothing more is sent until Connect; its result shows 3 s.
wait_for 120 "start-up search of DeviceId 10" sent_after "$start_lines" 'A5 A5 A5 09 A2 00 2B'
quiet_since() {  # true once the log has not grown for $1 seconds
  local now
  now=$(program_lines)
  if [ "$now" != "${quiet_lines:-}" ]; then quiet_lines=$now; quiet_start=$SECONDS; return 1; fi
  ((SECONDS - quiet_start >= $1))
}
quiet_lines=
wait_for 60 "end of the start-up search" quiet_since 5
shot started
say "start-up search done: $(($(program_lines) - start_lines)) frames"

# The pointer rests on the logo (a label; with no window manager the keyboard goes to the window
# under the pointer) and the window is given the input focus. After the start-up search no
# control has the focus (the areas were hidden while it ran): the first Tab gives it to the port
# list. COM7 is the last of the system's ports there (the others are COM1..COM6 at most) and the
# Demo entry comes after it, so End, Up; Tab to the DeviceId list, Home for 1; Tab to Connect;
# Space. Half a second between keys; the log's frames,
# not the pacing, say whether the keys did their work.
xdotool mousemove --window "$wid" 350 175
xdotool windowfocus --sync "$wid" 2>/dev/null || true
before_connect=$(program_lines)
xdotool key --delay 500 Tab End Up Tab Home Tab
shot connect-focus
xdotool key space
# The handshake: the preset read, the names read (A2 00 26), then status polls every 500 ms.
wait_for 60 "the connection's name read" sent_after "$before_connect" 'A5 A5 A5 00 A2 00 26'
polls() { grep -c ' program  *A5 A5 A5 00 A2 00 2B' "$traffic" || true; }
status_replies() { grep -c ' device 1  *A5 A5 A5 00 52 00 2B' "$traffic" || true; }
polls_at_connect=$(polls)
replies_at_connect=$(status_replies)
polled() {
  (($(polls) - polls_at_connect >= 3 && $(status_replies) - replies_at_connect >= 3))
}
wait_for 30 "answered status polls while connected" polled
shot connected
say "connected to DeviceId 1 on COM7 ($(($(program_lines) - before_connect)) frames so far)"

# Band 1's gain: Tab from the button (now Disconnect) to it, 17 stops while connected: the preset
# and DeviceId areas, the search buttons and the graph's "Show phase", then band 1's frequency, Q
# and gain. Then -3, Enter.
# A wrong count types into another field, and then no frame matches the tool's below.
xdotool key --delay 150 --repeat "${LYRA_BAND1_GAIN_TABS:-17}" Tab
shot band-gain-focus
before_edit=$(program_lines)
xdotool key --delay 150 ctrl+a minus 3 Return
# The band's write frame (A1) goes out within the send pump's 200 ms, among the polls.
band_frame() {
  grep ' program ' "$traffic" | tail -n +"$((before_edit + 1))" |
    grep -v ' program  *A5 A5 A5 00 A2 ' | grep ' program  *A5 A5 A5 00 A1 ' | head -n 1 |
    sed 's/.* program  *//'
}
band_sent() { [ -n "$(band_frame)" ]; }
wait_for 30 "band 1's write frame" band_sent
window_frame=$(band_frame)
shot band-gain
say "window sent: $window_frame"

# Closed from its File menu (Alt+F, Exit): it disconnects and ends.
xdotool key --delay 300 alt+f x
window_gone() { ! kill -0 "$window_pid" 2>/dev/null; }
wait_for 60 "the window's end" window_gone
say "window closed"

# The same edit from the Linux tool, against the same simulated device: the same frame.
before_cli=$(program_lines)
run_linux set 0 set --port ttySIM0 --id 1 eq1.gain=-3
cli_frame=$(grep ' program ' "$traffic" | tail -n +"$((before_cli + 1))" |
            grep ' program  *A5 A5 A5 00 A1 ' | head -n 1 | sed 's/.* program  *//')
[ -n "$cli_frame" ] || fail "the Linux tool sent no write frame for eq1.gain=-3"
[ "$window_frame" = "$cli_frame" ] ||
  fail "the window's band frame ($window_frame) is not the tool's ($cli_frame)"
say "band 1 gain -3 dB: the window's frame is the tool's, byte for byte"
