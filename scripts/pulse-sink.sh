# A PulseAudio server of a run's own whose one output, a null sink, is recorded
# (source it): what Windows programs play through Wine's PulseAudio driver.
# Its socket and files live in a folder under /dev/shm (the virtual machine's
# shared folders hold no sockets); nothing is written to the user's home.

pulse_dir= pulse_pid= pulse_parec_pid=

# Starts the server with a null sink "heard" of 16-bit mono samples at rate
# $1, its log in $2, and exports what its clients (Wine's driver among them)
# need to find it. Fails with a message when it does not answer within 30 s.
# The sink never rewinds: a monitor cannot take back what it has passed on, so
# the start of every sound played would be missing from the recording.
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
