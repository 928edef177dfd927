#!/usr/bin/env bash
# The main job on the shipped samples: decodes samples/speech.g723 with the
# native decoder into build/speech-decoded.wav. Installs what is missing and
# builds the native build (build/native, or $BUILD_DIR) first when needed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/native}
scripts/install-deps.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target decode_sample -j"$(nproc)" >/dev/null
"$build/tools/decode_sample/decode_sample" samples/speech.g723 build/speech-decoded.wav
echo "decoded speech: $PWD/build/speech-decoded.wav"
