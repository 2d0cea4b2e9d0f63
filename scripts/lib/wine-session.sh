# A private desktop for running lum.exe: an Xvfb display, a PulseAudio server
# whose default sink is a null sink (so sounds can be recorded from its
# monitor), and a Wine prefix made once per session. Sourced by scripts/test
# and scripts/demo; nothing here touches the user's own display, sound server
# or ~/.wine.
#
#   session_start   starts all three and exports DISPLAY, WINEPREFIX,
#                   WINEDEBUG, WINEDLLOVERRIDES, PULSE_SERVER and
#                   LUM_SOUND_MONITOR (the source that records the sink),
#                   and LUM_NO_32BIT where 32-bit programs cannot run
#   session_choose_loader
#                   makes `wine` run on a machine without 32-bit support
#                   (session_start calls it)
#   session_stop    ends what session_start started and removes its files;
#                   safe to call twice and from an EXIT trap
#   session_start_compositor, session_stop_compositor
#                   start and end a compositing manager (xcompmgr) on the
#                   session's display; session_stop ends it too
#
# LUM_SESSION_SCREEN (default 1280x1024x24) sets the screen's size.
# Every wait is bounded; session_start returns 1 when something does not come up.

LUM_SESSION_DIR=""
LUM_SESSION_XVFB_PID=""
LUM_SESSION_PULSE_PID=""
LUM_SESSION_SILENCE_PID=""
LUM_SESSION_COMPOSITOR_PID=""
LUM_SESSION_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Polls a command until it succeeds: wait_until SECONDS COMMAND...
session_wait_until() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

session_log() { echo "wine-session: $*" >&2; }

session_start_xvfb() {
  local fifo="$LUM_SESSION_DIR/displayfd" number=""
  mkfifo "$fifo"
  # -displayfd lets Xvfb pick a free display number itself, so two sessions
  # on one machine never race for the same number.
  Xvfb -displayfd 3 -screen 0 "${LUM_SESSION_SCREEN:-1280x1024x24}" -nolisten tcp \
    3>"$fifo" >"$LUM_SESSION_DIR/xvfb.log" 2>&1 &
  LUM_SESSION_XVFB_PID=$!
  read -r -t 20 number <"$fifo" || true
  if [ -z "$number" ]; then
    session_log "Xvfb did not start: $(tail -n 3 "$LUM_SESSION_DIR/xvfb.log")"
    return 1
  fi
  export DISPLAY=":$number"
  session_wait_until 20 xdpyinfo -display "$DISPLAY" || { session_log "display $DISPLAY does not answer"; return 1; }
}

session_start_pulse() {
  local dir="$LUM_SESSION_DIR/pulse"
  mkdir -p "$dir/home" "$dir/runtime"
  chmod 700 "$dir/runtime"
  # A user-mode daemon with its own home and runtime folder and no default
  # script: only the socket and the null sink below, no real devices, never
  # exiting while idle. As root PulseAudio warns but runs.
  HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" PULSE_RUNTIME_PATH="$dir/runtime" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --system=no \
    --disallow-exit --log-target=stderr \
    --load="module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
    --load="module-null-sink sink_name=lum_null rate=44100 channels=2" \
    >"$dir/pulse.log" 2>&1 &
  LUM_SESSION_PULSE_PID=$!
  export PULSE_SERVER="unix:$dir/native"
  # No cookie is needed (anonymous socket); an empty one keeps clients from
  # looking in the real home folder.
  : >"$dir/cookie"
  export PULSE_COOKIE="$dir/cookie"
  session_wait_until 20 pactl info || { session_log "PulseAudio did not start: $(tail -n 3 "$dir/pulse.log")"; return 1; }
  timeout 10 pactl set-default-sink lum_null
  export LUM_SOUND_MONITOR=lum_null.monitor
  # A null sink that nothing plays into stops its clock, and its monitor then
  # delivers late or not at all; endless silence keeps recordings in step
  # with the wall clock.
  pacat --playback --raw --format=s16le --rate=22050 --channels=1 --latency-msec=50 </dev/zero \
    >/dev/null 2>&1 &
  LUM_SESSION_SILENCE_PID=$!
}

# The 2-second waits that Wine makes for a window manager that never answers
# (after hiding or destroying a managed window, a message box among them)
# go away when no window is managed; the program under test makes only a
# popup window, which Wine leaves unmanaged anyway.
session_configure_wine() {
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f &&
    timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d pulse /f
}

# Debian's `wine` runs every program through Wine's 32-bit loader once wine32
# is installed, and that loader is a 32-bit Linux program. A kernel built
# without 32-bit support refuses it ("Exec format error"): there `wine` runs
# the 64-bit loader instead, which runs the 64-bit programs, and
# LUM_NO_32BIT says why the 32-bit ones cannot run, for the tests to skip them.
session_choose_loader() {
  /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  local bin
  bin=$(mktemp -d "${LUM_SESSION_DIR:-${TMPDIR:-/tmp}}/loader.XXXXXX")
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$bin/wine"
  chmod +x "$bin/wine"
  # wineboot and the other tools start programs through wine-stable.
  ln -s wine "$bin/wine-stable"
  export PATH="$bin:$PATH"
  export LUM_NO_32BIT="this machine's kernel runs no 32-bit programs, so Wine's 32-bit loader cannot start"
  session_log "$LUM_NO_32BIT; only 64-bit programs run"
}

session_start_wine() {
  session_choose_loader
  export WINEPREFIX="$LUM_SESSION_DIR/wineprefix"
  export WINEDEBUG=-all
  # No prompts for the .NET and HTML engines, which the program never uses.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # Wine refuses a prefix it does not own; the temp folder is ours anyway.
  if ! timeout 300 wineboot -i >"$LUM_SESSION_DIR/wineboot.log" 2>&1; then
    session_log "wineboot failed: $(tail -n 3 "$LUM_SESSION_DIR/wineboot.log")"
    return 1
  fi
  session_configure_wine >>"$LUM_SESSION_DIR/wineboot.log" 2>&1 || { session_log "registry settings failed"; return 1; }
  timeout 60 wineserver -w || true
}

session_start() {
  [ -z "$LUM_SESSION_DIR" ] || return 0
  LUM_SESSION_DIR=$(mktemp -d "${TMPDIR:-/tmp}/lum-session.XXXXXX")
  export LUM_SESSION_DIR
  session_start_xvfb && session_start_pulse && session_start_wine && return 0
  session_stop
  return 1
}

# Whether a compositing manager holds the display's selection for it: the
# end-to-end driver's own test.
session_compositing() {
  PYTHONPATH="$LUM_SESSION_LIB/../../tests/support" python3 -B -c 'import sys, lumdriver
sys.exit(0 if lumdriver.compositing() else 1)'
}

session_compositor_settled() {
  session_compositing || ! kill -0 "$LUM_SESSION_COMPOSITOR_PID" 2>/dev/null
}

# xcompmgr puts each window's own surface on the screen, blending by alpha,
# as the compositor of every Windows since 8 does. Xvfb now and then drops a
# client's first connection, and xcompmgr then ends at once ("Can't open
# display"): it is started again, twice at most.
session_start_compositor() {
  [ -z "$LUM_SESSION_COMPOSITOR_PID" ] || return 0
  local attempt
  for attempt in 1 2 3; do
    xcompmgr >"$LUM_SESSION_DIR/xcompmgr.log" 2>&1 &
    LUM_SESSION_COMPOSITOR_PID=$!
    session_wait_until 20 session_compositor_settled || break
    kill -0 "$LUM_SESSION_COMPOSITOR_PID" 2>/dev/null && return 0
    sleep 0.5
  done
  session_log "xcompmgr did not start: $(tail -n 3 "$LUM_SESSION_DIR/xcompmgr.log")"
  session_stop_compositor
  return 1
}

# Kills one process that this session started, waiting at most 5 s for it.
session_kill() {
  local pid=$1
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  local deadline=$((SECONDS + 5))
  while kill -0 "$pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

session_stop_compositor() {
  session_kill "$LUM_SESSION_COMPOSITOR_PID"
  LUM_SESSION_COMPOSITOR_PID=""
}

session_stop() {
  [ -n "$LUM_SESSION_DIR" ] || return 0
  session_stop_compositor
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    timeout 20 wineserver -k 2>/dev/null || true
    timeout 20 wineserver -w 2>/dev/null || true
  fi
  session_kill "$LUM_SESSION_SILENCE_PID"
  session_kill "$LUM_SESSION_PULSE_PID"
  session_kill "$LUM_SESSION_XVFB_PID"
  rm -rf "$LUM_SESSION_DIR"
  LUM_SESSION_DIR="" LUM_SESSION_XVFB_PID="" LUM_SESSION_PULSE_PID="" LUM_SESSION_SILENCE_PID=""
  unset DISPLAY WINEPREFIX PULSE_SERVER PULSE_COOKIE LUM_SOUND_MONITOR LUM_NO_32BIT
}
