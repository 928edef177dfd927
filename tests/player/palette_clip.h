// An 8-bit MS Video 1 clip made by the test, as no encoder at hand writes
// one: seeded random blocks of every kind, key frames, and palette changes
// ("00pc" chunks) between frames, in an AVI with an idx1 index.
#pragma once

#include <cstdint>
#include <vector>

namespace playertest {

struct PaletteClipRecipe {
    int width;
    int height;
    int frames;
    uint32_t seed;
};

std::vector<uint8_t> makePaletteClip(const PaletteClipRecipe& recipe);

}  // namespace playertest
