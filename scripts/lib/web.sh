# Shell functions for the web player's browser runs (source it after
# windows.sh, whose PulseAudio helpers give Firefox a sound output): whether
# this machine can run them, the test packages from npm, and the runs.

web_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Prints why the browser runs cannot happen here and succeeds, or fails
# (prints nothing) when they can.
web_unavailable() {
  local tool
  for tool in emcc chromium firefox-esr node npm; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; return 0; }
  done
  return 1
}

# Installs tests/web's npm packages as package-lock.json pins them, unless
# they are there already (so a machine without the network runs them too).
web_packages() {
  local dir=$web_root/tests/web
  if node -e '
      const lock = require(process.argv[1] + "/package-lock.json").packages;
      for (const [where, entry] of Object.entries(lock)) {
        if (!where) continue;
        const found = require(process.argv[1] + "/" + where + "/package.json");
        if (found.version !== entry.version) process.exit(1);
      }' "$dir" 2>/dev/null; then
    return 0
  fi
  echo "installing the browser tests' npm packages (npm ci in tests/web)"
  (cd "$dir" && npm ci --prefer-offline --no-audit --no-fund --loglevel=error) ||
    { echo "npm ci failed in $dir" >&2; return 1; }
}

# Runs node with the arguments in tests/web under a PulseAudio server of its
# own (Firefox plays no sound without one), within $1 seconds.
web_node() {
  local limit=$1 status=0 log
  shift
  log=$(mktemp)
  start_pulse_sink 48000 "$log" || { rm -f "$log"; return 1; }
  (cd "$web_root/tests/web" && timeout -k 10 "$limit" node "$@") || status=$?
  stop_pulse_sink
  rm -f "$log"
  return $status
}
