# Shell functions for running the project's 32-bit Windows programs (source
# it; the commands are the scripts one folder up): which way this machine runs
# them, a private Wine prefix, a private Xvfb display, a PulseAudio server of
# a run's own that records what Wine plays, and the G.723.1 ACM driver.
#
# The way is decided once, by the command a user starts, and handed down in
# WINDOWS_WAY: "direct" where the kernel runs 32-bit x86 code (and inside the
# virtual machine, whose job is handed "direct"), "vm" where it cannot: there every Windows program runs in
# the virtual machine of scripts/vm/boot.sh. WINDOWS_VIA_VM=1 forces "vm".

windows_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Runs a tiny 32-bit Linux program (it only exits with code 0): whether this
# kernel runs 32-bit x86 code at all.
kernel_runs_32bit() {
  local probe rc=0
  probe=$(mktemp "${TMPDIR:-/tmp}/probe32.XXXXXX") || return 1
  # ELF header, one loadable segment at 0x08048000, then at 0x08048054:
  # xor eax,eax; inc eax; xor ebx,ebx; int 0x80 (exit(0)).
  printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0''\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0''\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5b\0\0\0\x5b\0\0\0\x05\0\0\0\0\x10\0\0''\x31\xc0\x40\x31\xdb\xcd\x80' >"$probe"
  chmod 700 "$probe"
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  return $rc
}

# Exports WINDOWS_WAY (kept when handed down) and sets windows_why.
choose_windows_way() {
  if [ -n "${WINDOWS_WAY:-}" ]; then
    windows_why="as decided by the command that started this one"
  elif [ "${WINDOWS_VIA_VM:-0}" = 1 ]; then
    WINDOWS_WAY=vm windows_why="WINDOWS_VIA_VM=1"
  elif kernel_runs_32bit; then
    WINDOWS_WAY=direct windows_why="this kernel runs 32-bit programs"
  else
    WINDOWS_WAY=vm windows_why="this kernel cannot run 32-bit programs"
  fi
  export WINDOWS_WAY
}

# Runs a command that starts Windows programs (a whole phase: all of them in
# one virtual machine), after one line on stderr saying which way.
# Usage: run_windows_phase TIME_LIMIT COMMAND [ARGS...]
run_windows_phase() {
  local limit=$1
  shift
  choose_windows_way
  if [ "$WINDOWS_WAY" = direct ]; then
    echo "windows programs: Wine on this machine ($windows_why)" >&2
    timeout -k 10 "$limit" "$@"
  else
    echo "windows programs: Wine in a virtual machine ($windows_why)" >&2
    "$windows_lib/../vm/boot.sh" "$limit" "$@"
  fi
}

# Exports the quiet environment of the 32-bit prefix in directory $1.
use_wine_prefix() {
  export WINEPREFIX=$1 WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
}

# Creates $WINEPREFIX once, with the graphics driver $1 (x11, or null for
# headless runs). Every prefix has one policy: no audio driver (a run that is
# to be heard switches Wine's PulseAudio driver on for itself, start_heard_run),
# and a crash exits instead of waiting on a dialog nobody sees. Then starts
# the prefix's wineserver and Wine's services, off the caller's pipes.
prepare_wine_prefix() {
  local graphics=$1
  [ -f "$WINEPREFIX/.prepared-$graphics" ] || create_wine_prefix "$graphics" || return 1
  wineserver -k 2>/dev/null || true # a server left by a run that was killed
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

create_wine_prefix() {
  local graphics=$1 log rc=0 attempt
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
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
  wine_setting 'HKCU\Software\Wine\Drivers' Audio ""
  wine_setting 'HKCU\Software\Wine\Drivers' Graphics "$graphics"
  # No window manager on Xvfb: unmanaged windows spare Wine's waits for one.
  wine_setting 'HKCU\Software\Wine\X11 Driver' Managed N
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.prepared-$graphics"
}

# Sets a string value in the prefix's registry: wine_setting KEY NAME DATA.
wine_setting() {
  wine reg add "$1" /v "$2" /d "$3" /f >/dev/null 2>&1
}

# Uses (and the first time creates) the headless prefix of a Windows build's
# tests, $1/wineprefix.
use_test_prefix() {
  use_wine_prefix "$1/wineprefix"
  unset DISPLAY
  prepare_wine_prefix null
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

stop_private_xvfb() {
  [ -z "${xvfb_pid:-}" ] || kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
}

# A PulseAudio server of a run's own whose one output, a null sink "heard",
# is recorded. Its socket and files live in a folder under /dev/shm (the
# virtual machine's shared folders hold no sockets); nothing is written to the
# user's home.
pulse_dir= pulse_pid= pulse_parec_pid=

# Starts the server with 16-bit mono samples at rate $1, its log in $2, and
# exports what its clients (Wine's driver among them) need to find it. Fails
# with a message when it does not answer within 30 s. The sink never rewinds:
# a monitor cannot take back what it has passed on, so the start of every
# sound played would be missing from the recording.
start_pulse_sink() {
  local rate=$1 log=$2
  pulse_dir=$(mktemp -d /dev/shm/pulse-sink.XXXXXX) || return 1
  export PULSE_SERVER=unix:$pulse_dir/native PULSE_COOKIE=$pulse_dir/cookie
  export PULSE_RUNTIME_PATH=$pulse_dir PULSE_STATE_PATH=$pulse_dir
  # No display and no session bus for the server: it would start a D-Bus daemon
  # that outlives it.
  env -u DISPLAY DBUS_SESSION_BUS_ADDRESS=unix:path=$pulse_dir/no-bus \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
    -L "module-native-protocol-unix socket=$pulse_dir/native auth-anonymous=1 auth-cookie-enabled=0" \
    -L "module-null-sink sink_name=heard rate=$rate channels=1 format=s16le norewinds=1" >"$log" 2>&1 &
  pulse_pid=$!
  for _ in $(seq 300); do
    pactl info >/dev/null 2>&1 && return 0
    kill -0 "$pulse_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "the PulseAudio server did not start: $(grep -v '^W:' "$log" | tail -c 300)" >&2
  return 1
}

# Records the sink's monitor, 16-bit mono samples at rate $1, into file $2: a
# WAV file when its name ends in .wav, else raw samples. Returns once the
# recording runs (what is played from then on is all in it).
start_sink_recording() {
  local format=--raw
  case $2 in *.wav) format=--file-format=wav ;; esac
  parec -d heard.monitor "$format" --format=s16le --rate="$1" --channels=1 --latency-msec=20 "$2" &
  pulse_parec_pid=$!
  for _ in $(seq 300); do
    [ -n "$(pactl list short source-outputs 2>/dev/null)" ] && return 0
    kill -0 "$pulse_parec_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "parec could not record the sink's monitor" >&2
  return 1
}

# Ends the recording once what was sent to the sink has been played into it.
stop_sink_recording() {
  [ -n "$pulse_parec_pid" ] || return 0
  sleep 1
  kill -INT "$pulse_parec_pid" 2>/dev/null || true
  wait "$pulse_parec_pid" 2>/dev/null || true
  pulse_parec_pid=
}

# Ends the recording and the server and removes the server's folder.
stop_pulse_sink() {
  stop_sink_recording
  [ -z "$pulse_pid" ] || { kill "$pulse_pid" 2>/dev/null; wait "$pulse_pid" 2>/dev/null; } || true
  pulse_pid=
  [ -z "$pulse_dir" ] || rm -rf "$pulse_dir"
  pulse_dir=
}

# Makes what the prefix's programs play from now on heard (the prefix's
# server runs, prepare_wine_prefix): a PulseAudio server of the run's own (log
# in $1), Wine's PulseAudio driver switched on, and the sink recorded at
# 8000 Hz into $2 (WAV or raw, as start_sink_recording).
start_heard_run() {
  start_pulse_sink 8000 "$1" || return 1
  wine_setting 'HKCU\Software\Wine\Drivers' Audio pulse
  start_sink_recording 8000 "$2"
}

# Ends what start_heard_run began; the prefix is silent again.
stop_heard_run() {
  [ -n "$pulse_dir" ] || return 0
  stop_pulse_sink
  wine_setting 'HKCU\Software\Wine\Drivers' Audio "" || true
}

# Installs the G.723.1 ACM codec driver file $1 into $WINEPREFIX, or takes it
# out with --remove: the file goes into the prefix's 32-bit system directory
# and is registered under Drivers32 as msacm.g7231. Wine's cache of what it
# learnt of the driver is cleared either way, so a newer driver is asked afresh.
install_acm_driver() {
  local system=$WINEPREFIX/drive_c/windows/system32 view=
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
  # A 64-bit prefix keeps 32-bit drivers in syswow64 and their registration
  # in the registry's 32-bit view.
  if [ -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    system=$WINEPREFIX/drive_c/windows/syswow64 view=/reg:32
  fi
  wine reg delete 'HKCU\Software\Microsoft\AudioCompressionManager\DriverCache\msacm.g7231' \
    /f $view >/dev/null 2>&1 || true
  if [ "$1" = --remove ]; then
    wine reg delete "$key" /v msacm.g7231 /f $view >/dev/null 2>&1 || true
    rm -f "$system/g7231.acm"
  else
    cp "$1" "$system/g7231.acm" && wine reg add "$key" /v msacm.g7231 /d g7231.acm /f $view >/dev/null
  fi
}
