#!/usr/bin/env bash
# Configures and builds both builds: build/native (Linux) and build/win32 (mingw-w64),
# and build/web (WebAssembly) where emscripten is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j"$jobs"
cmake -S . -B build/win32 -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win32 -j"$jobs"
if command -v emcc >/dev/null; then
  emcmake cmake -S . -B build/web -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/web -j"$jobs"
else
  echo "build.sh: emscripten (emcc) is not installed, so build/web is not built"
fi
