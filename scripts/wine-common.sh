# Shared by the scripts that run Windows programs under Wine (source it):
# the quiet environment of a private 32-bit prefix, its one-time creation,
# and a private Xvfb display.

# Exports the environment of the prefix in directory $1.
use_wine_prefix() {
  export WINEPREFIX=$1 WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
}

# Creates $WINEPREFIX once: no audio driver, crashes exit instead of waiting on
# a dialog nobody sees. Further registry values to set at creation come as
# arguments "KEY|NAME|VALUE".
prepare_wine_prefix() {
  [ -f "$WINEPREFIX/.prepared" ] && return 0
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  local log rc=0 attempt
  log=$(mktemp)
  # On a slow (emulated, busy) machine the first process may stop waiting for
  # the prefix before it is made: then wait for Wine's processes to finish and
  # update the prefix once more.
  for attempt in -i -u; do
    rc=0
    timeout 900 wineboot $attempt </dev/null >"$log" 2>&1 || rc=$?
    timeout 900 wineserver -w || true
    [ -f "$WINEPREFIX/drive_c/windows/system32/user32.dll" ] && [ -s "$WINEPREFIX/system.reg" ] && break
  done
  if [ ! -f "$WINEPREFIX/drive_c/windows/system32/user32.dll" ]; then
    echo "Wine could not create its prefix $WINEPREFIX (wineboot exit code $rc): $(grep -v ':nodrv_\|^$' "$log" | tail -c 400 | tr '\n' ' ')" >&2
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
  wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  local value key name data
  for value in "$@"; do
    IFS='|' read -r key name data <<<"$value"
    wine reg add "$key" /v "$name" /d "$data" /f >/dev/null 2>&1
  done
  wineserver -w
  touch "$WINEPREFIX/.prepared"
}

# Uses and, the first time, creates the headless prefix of a Windows build's
# tests ($1/wineprefix: null graphics driver), with its wineserver started.
use_test_prefix() {
  use_wine_prefix "$1/wineprefix"
  unset DISPLAY
  prepare_wine_prefix 'HKCU\Software\Wine\Drivers|Graphics|null'
  wineserver -p
  # Start Wine's services now, with stdio off the callers' pipes.
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

# Starts an Xvfb of our own on the first free display number in $1..$2 and
# exports DISPLAY; its process id is left in xvfb_pid. Fails when none starts.
start_private_xvfb() {
  local n
  xvfb_pid=
  for n in $(seq "$1" "$2"); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    # The socket must be this server's: one that lost the race for the
    # number to another run exits at once.
    for _ in $(seq 100); do
      kill -0 "$xvfb_pid" 2>/dev/null || break
      if [ -e /tmp/.X11-unix/X$n ]; then
        sleep 0.2
        kill -0 "$xvfb_pid" 2>/dev/null || break
        export DISPLAY=:$n
        return 0
      fi
      sleep 0.05
    done
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  done
  return 1
}
