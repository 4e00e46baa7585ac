# Sourced by the scripts: the project's private Wine prefix, a persistent wineserver and,
# when no display is given, a private Xvfb at 24 bits.
movra_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Makes the prefix and proves it can start a program. Wine copies its own libraries into the
# prefix: a making cut short (a full disk, a server killed under it) leaves a prefix whose every
# program dies with "could not load kernel32.dll", far from the cause. So a prefix this function
# made that cannot start cmd.exe is made again once (a folder that was there before is never
# removed), and if it still cannot, the run stops here with what Wine said and the space left.
movra_wine_make_prefix() {
  local log="$WINEPREFIX.log" existed=no
  [ -e "$WINEPREFIX" ] && existed=yes
  echo "Creating the Wine prefix $WINEPREFIX ..." >&2
  movra_wine_boot_prefix "$log" && return 0
  if [ "$existed" = no ]; then
    echo "The new Wine prefix cannot start a program; making it again ..." >&2
    wineserver -k </dev/null >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    movra_wine_boot_prefix "$log" && return 0
  fi
  echo "Could not make a working Wine prefix in $WINEPREFIX. Wine said ($log):" >&2
  tail -n 30 "$log" >&2
  df -h "$(dirname "$WINEPREFIX")" >&2
  return 1
}

# One making of the prefix, written to LOG; true when it then starts a program.
movra_wine_boot_prefix() {
  wineboot -i </dev/null >"$1" 2>&1 || true
  # The registry reaches system.reg when the server ends: wait for it, or another script
  # would take the prefix for unmade.
  timeout 120 wineserver -w </dev/null >/dev/null 2>&1 || true
  [ -f "$WINEPREFIX/system.reg" ] && wine cmd.exe /c exit 0 </dev/null >>"$1" 2>&1
}

movra_wine_env() {
  export WINEPREFIX="${MOVRA_WINEPREFIX:-$movra_repo/build/wineprefix}"
  export WINEDEBUG=-all
  # No Mono or Gecko installer prompts in a fresh prefix.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
      flock 9
      [ -f "$WINEPREFIX/system.reg" ] || movra_wine_make_prefix
    ) 9>"$WINEPREFIX.lock" || return 1
  fi
  # Windows draws caption buttons, menu checks and arrows with the Marlett glyph font. The
  # system's Wine ships it but does not look where it lies, so the prefix gets its own copy.
  local marlett=/usr/share/wine/fonts/marlett.ttf fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    cp "$marlett" "$fonts/marlett.ttf"
  fi
}

# The display the prefix's running wineserver was started for ("none" without one) is kept
# beside the prefix: its virtual desktop lives on that display, so a server left by a run with
# another display, or with none, cannot open windows for this one.
movra_wine_display_mark() { echo "$WINEPREFIX/movra-display"; }

# Ends the prefix's wineserver and every process attached to it, and waits until they are gone.
# Only this prefix's: wineserver -k reaches the server of $WINEPREFIX alone.
movra_wine_stop() {
  movra_wine_env
  if wineserver -k </dev/null >/dev/null 2>&1; then
    wineserver -w </dev/null >/dev/null 2>&1 || true
  fi
  rm -f "$(movra_wine_display_mark)" "$WINEPREFIX/movra-desktop-keeper.pid"
}

# True when the Unix process PID runs in this prefix.
movra_wine_owns() { grep -qzxF "WINEPREFIX=$WINEPREFIX" "/proc/$1/environ" 2>/dev/null; }

# Wine ends the virtual desktop (explorer.exe /desktop) a second after the last process using it
# has gone, and the next program that opens a window starts a new one, which inherits that
# program's standard error. ctest reads a test's output until every writer has closed it, so a
# test that happened to start the desktop counted as running until the desktop ended again, long
# after its own process: in a busy suite, until its timeout. So the desktop is started here,
# detached from the caller's output, and a windowless process kept waiting on a pipe that is never
# written stays on it until the server stops. Without a display there is no desktop to keep.
movra_wine_keep_desktop() {
  [ -n "${DISPLAY:-}" ] || return 0
  local fifo="$WINEPREFIX/movra-desktop-keeper" pidfile="$WINEPREFIX/movra-desktop-keeper.pid" pid
  pid=$(cat "$pidfile" 2>/dev/null || true)
  if [ -n "$pid" ] && movra_wine_owns "$pid"; then return 0; fi
  [ -p "$fifo" ] || { rm -f "$fifo"; mkfifo "$fifo"; }
  # Opened for reading and writing, the pipe never reports its end: cmd.exe waits on it for good.
  (wine cmd.exe <>"$fifo" >/dev/null 2>&1 & echo $! >"$pidfile")
  # Once cmd.exe runs, the keeper is on the desktop: started before, the desktop would end behind
  # its starter. A program with a window then starts the desktop and waits until it is ready.
  local p
  for _ in $(seq 1 300); do
    for p in $(pgrep -f 'system32\\cmd\.exe'); do
      movra_wine_owns "$p" && break 2
    done
    sleep 0.1
  done
  timeout 60 wine rundll32.exe </dev/null >/dev/null 2>&1 || true
  # A test process that had to start the desktop itself would hand it its output, and the
  # keeper would keep that test running in ctest's eyes until its timeout: so no test starts
  # unless the desktop is there.
  local i
  for i in $(seq 1 100); do
    xwininfo -name "Default - Wine desktop" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "The Wine virtual desktop did not open on $DISPLAY" >&2
  return 1
}

# Starts the persistent wineserver and the prefix's services detached from the caller's
# output: a service that inherits a pipe keeps whoever reads that pipe waiting.
movra_wine_start() {
  movra_wine_env
  # An Xvfb of our own is named with its process id: another one may reuse the display number.
  local display="${DISPLAY:-none}${MOVRA_XVFB_PID:+ xvfb $MOVRA_XVFB_PID}" mark
  mark=$(movra_wine_display_mark)
  if [ "$(cat "$mark" 2>/dev/null)" != "$display" ]; then
    movra_wine_stop
  fi
  wineserver -p </dev/null >/dev/null 2>&1 || true
  echo "$display" > "$mark"
  # Every window opens inside one Wine virtual desktop: captions, activation and the tray
  # behave there as on Windows, with no X window manager needed. The first program of a new
  # server starts the desktop, so the one that adds these keys has already started it on the
  # bare X screen, where every window is left to a window manager that is not there and each
  # hiding of a window waits 2 s for it: the server is started again to start the desktop anew.
  if ! grep -q '"Desktop"="Default"' "$WINEPREFIX/user.reg" 2>/dev/null &&
     ! wine reg query 'HKCU\Software\Wine\Explorer' /v Desktop </dev/null 2>/dev/null | grep -q Default; then
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f </dev/null >/dev/null 2>&1 || true
    movra_wine_stop
    wineserver -p </dev/null >/dev/null 2>&1 || true
    echo "$display" > "$mark"
  fi
  # A program that cannot start under Wine would keep the caller waiting for good.
  timeout 120 wineboot </dev/null >/dev/null 2>&1 || true
  movra_wine_keep_desktop
}

movra_start_xvfb() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 91 250); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      MOVRA_XVFB_PID=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 1 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
      done
      echo "Xvfb did not start on :$n" >&2
      return 1
    fi
  done
  echo "No free X display for Xvfb" >&2
  return 1
}

# Stops the Xvfb that movra_start_xvfb started, if it started one, and first the prefix's
# wineserver, whose desktop lives on that display and would outlive it unusable.
movra_stop_xvfb() {
  if [ -n "${MOVRA_XVFB_PID:-}" ]; then
    movra_wine_stop
    kill "$MOVRA_XVFB_PID" 2>/dev/null || true
    wait "$MOVRA_XVFB_PID" 2>/dev/null || true
    MOVRA_XVFB_PID=""
  fi
}
