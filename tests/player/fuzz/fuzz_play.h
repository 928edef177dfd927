// The body of the player core's libFuzzer harness, also replayed by the
// normal tests over the kept inputs. The first byte picks what the rest is:
//   0  a clip stream (header, placed block, clip data), fed in uneven chunks
//   1  an AVI clip, fed as a stream without a placed block
//   2  MS Video 1 frames, 3  Cinepak frames: picture width, height and a
//      flags byte, then frames each led by a 16-bit little-endian length
// Every playable frame is decoded and all the sound taken; the sanitizers
// catch memory errors and undefined behaviour.
#pragma once

#include <cstddef>
#include <cstdint>

namespace playerfuzz {

void playInput(const uint8_t* data, std::size_t size);

}  // namespace playerfuzz
