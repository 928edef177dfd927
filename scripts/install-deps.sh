#!/usr/bin/env bash
# Installs what the builds and tests need, when it is missing. As root it
# installs Debian's packages itself; otherwise it says what to install.
set -euo pipefail

need=()
command -v cmake >/dev/null                        || need+=(cmake)
command -v g++ >/dev/null                          || need+=(g++)
[ -f /usr/include/gtest/gtest.h ]                  || need+=(libgtest-dev)
[ -d /usr/src/googletest ]                         || need+=(googletest)
command -v i686-w64-mingw32-g++-posix >/dev/null   || need+=(g++-mingw-w64-i686)
command -v wine >/dev/null                         || need+=(wine wine64)
[ -e /usr/lib/wine/wine ] || [ -d /usr/lib/i386-linux-gnu/wine ] || need+=(wine32:i386)
command -v Xvfb >/dev/null                         || need+=(xvfb xauth)
command -v ffmpeg >/dev/null                       || need+=(ffmpeg)
command -v convert >/dev/null && convert -version 2>/dev/null | grep -q ImageMagick || need+=(imagemagick)
command -v python3 >/dev/null                      || need+=(python3)

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
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
