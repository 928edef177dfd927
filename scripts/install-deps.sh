#!/usr/bin/env bash
# Installs what the builds and tests need, when it is missing. As root it
# installs Debian's packages itself; otherwise it says what to install. What
# the virtual machine of scripts/vm/ needs is installed on every machine: it
# runs the Windows programs where the kernel cannot run 32-bit programs, and
# the runner's tests try that way everywhere (scripts/lib/windows.sh).
set -euo pipefail

need=()
command -v cmake >/dev/null                        || need+=(cmake)
command -v make >/dev/null                         || need+=(make)
command -v g++ >/dev/null                          || need+=(g++)
[ -f /usr/include/gtest/gtest.h ]                  || need+=(libgtest-dev)
[ -d /usr/src/googletest ]                         || need+=(googletest)
command -v i686-w64-mingw32-g++-posix >/dev/null   || need+=(g++-mingw-w64-i686)
command -v wine >/dev/null                         || need+=(wine wine64)
[ -e /usr/lib/wine/wine ] || [ -d /usr/lib/i386-linux-gnu/wine ] || need+=(wine32:i386)
command -v Xvfb >/dev/null                         || need+=(xvfb)
command -v xauth >/dev/null                        || need+=(xauth)
command -v ffmpeg >/dev/null                       || need+=(ffmpeg)
command -v convert >/dev/null && convert -version 2>/dev/null | grep ImageMagick >/dev/null || need+=(imagemagick)
command -v python3 >/dev/null                      || need+=(python3)
command -v pkg-config >/dev/null                   || need+=(pkg-config)
command -v clang-format >/dev/null                 || need+=(clang-format)
command -v ps >/dev/null                           || need+=(procps)
command -v pulseaudio >/dev/null                   || need+=(pulseaudio)
command -v parec >/dev/null                        || need+=(pulseaudio-utils)
command -v emcc >/dev/null                         || need+=(emscripten)   # pulls node (nodejs) and acorn
# The web player's browser tests (tests/web): Debian's browsers, and node with
# npm for the test packages (the web phase of scripts/test.sh installs those).
command -v chromium >/dev/null                     || need+=(chromium)
command -v firefox-esr >/dev/null                  || need+=(firefox-esr)
command -v node >/dev/null                         || need+=(nodejs)
command -v npm >/dev/null                          || need+=(npm)

command -v qemu-system-x86_64 >/dev/null           || need+=(qemu-system-x86)
ls /boot/vmlinuz-* >/dev/null 2>&1                 || need+=(linux-image-amd64)
[ -x /bin/busybox ] && busybox --list 2>/dev/null | grep -x cpio >/dev/null || need+=(busybox-static)
command -v modinfo >/dev/null                      || need+=(kmod)

# Optional, for scripts/fuzz.sh (which skips without them): clang and libFuzzer.
if [ "$(id -u)" -eq 0 ]; then
  command -v clang++ >/dev/null || need+=(clang)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
fi

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${need[*]}" >&2
  echo "install them as root with:" >&2
  echo "  dpkg --add-architecture i386 && apt-get update && apt-get install -y --no-install-recommends ${need[*]}" >&2
  exit 1
fi
echo "installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --add-architecture i386
# An index that fails to load (a mirror in the middle of a sync) is retried;
# then the install goes ahead with what could be loaded.
for attempt in 1 2 3; do
  if apt-get update -qq 2>"${TMPDIR:-/tmp}/apt-update.$$"; then
    break
  fi
  echo "apt-get update failed (attempt $attempt of 3): $(grep -m1 '^E:' "${TMPDIR:-/tmp}/apt-update.$$" || true)" >&2
  [ $attempt -eq 3 ] || sleep 10
done
rm -f "${TMPDIR:-/tmp}/apt-update.$$"

install() { apt-get install -y -q --no-install-recommends "$@" >"${TMPDIR:-/tmp}/apt-install.$$" 2>&1; }
if ! install "${need[@]}"; then
  # The i386 and amd64 copies of a shared library must be the same version:
  # with one architecture's security index missing, take both from the release.
  echo "apt-get install failed; trying again with the release's own versions" >&2
  if ! install -t bookworm "${need[@]}"; then
    grep -E '^E:|Depends:|Unable to locate|has no installation candidate' "${TMPDIR:-/tmp}/apt-install.$$" >&2 || true
    rm -f "${TMPDIR:-/tmp}/apt-install.$$"
    for package in "${need[@]}"; do
      apt-cache policy "$package" 2>/dev/null | grep -q 'Candidate: [^(]' ||
        echo "package $package: no installable version in the package lists" >&2
    done
    echo "install-deps.sh: could not install: ${need[*]}" >&2
    exit 1
  fi
fi
rm -f "${TMPDIR:-/tmp}/apt-install.$$"
