// RIFF AVI construction for the tests, from the shared chunk builders.
#include "avi_builder.h"

#include <initializer_list>
#include <string>

#include "bytes.h"
#include "riff_chunks.h"

namespace avstest {

namespace {

using toolstest::Bytes;
using toolstest::chunk;
using toolstest::concat;
using toolstest::list;

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes words(std::initializer_list<uint32_t> values) {
    Bytes out;
    for (uint32_t value : values) kit::appendLe32(out, value);
    return out;
}

// count pseudo-random bytes, continuing from state.
Bytes fill(uint32_t count, uint32_t& state) {
    Bytes out;
    for (uint32_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        out.push_back(uint8_t(state >> 16));
    }
    return out;
}

uint32_t frameSize(const AviRecipe& recipe, int frame) {
    return recipe.frameBytes + uint32_t(frame) * recipe.frameGrowth;
}

Bytes headers(const AviRecipe& recipe) {
    const uint32_t frames = uint32_t(recipe.frames);
    const Bytes strh = concat({text("vidsMSVC"), words({0, 0, 0, 1, 15, 0, frames, 0, 0xFFFFFFFFu, 0, 0, 0})});
    const Bytes bitmapInfo = words({40, 160, 120, 0x00100001u, 0x4356534d, 160 * 120 * 2, 0, 0, 0, 0});
    const Bytes strl = list("LIST", "strl", concat({chunk("strh", strh), chunk("strf", bitmapInfo)}));
    const Bytes avih = words({66666, 0, 0, 0x10, frames, 0, 1, 0, 160, 120, 0, 0, 0, 0});
    return list("LIST", "hdrl", concat({chunk("avih", avih), strl}));
}

// The frames in a 'movi' list; offsets gets each frame chunk's offset from the list's type.
Bytes movie(const AviRecipe& recipe, std::vector<uint32_t>& offsets) {
    Bytes frames;
    uint32_t state = recipe.seed;
    for (int frame = 0; frame < recipe.frames; ++frame) {
        offsets.push_back(uint32_t(4 + frames.size()));
        frames = concat({frames, chunk("00dc", fill(frameSize(recipe, frame), state))});
    }
    return list("LIST", "movi", frames);
}

Bytes index(const AviRecipe& recipe, const std::vector<uint32_t>& offsets) {
    Bytes entries;
    for (int frame = 0; frame < recipe.frames; ++frame)
        entries = concat({entries, text("00dc"), words({0x10, offsets[frame], frameSize(recipe, frame)})});
    return chunk("idx1", entries);
}

Bytes junk(uint32_t bytes, uint32_t seed) { return chunk("JUNK", fill(bytes, seed)); }

}  // namespace

std::vector<uint8_t> buildAvi(const AviRecipe& recipe) {
    std::vector<uint32_t> offsets;
    Bytes form = concat({headers(recipe), movie(recipe, offsets)});
    if (recipe.junkBeforeIndex) form = concat({form, junk(recipe.junkBeforeIndex, recipe.seed + 5)});
    if (recipe.withIndex) form = concat({form, index(recipe, offsets)});
    if (recipe.junkAfterIndex) form = concat({form, junk(recipe.junkAfterIndex, recipe.seed + 7)});
    Bytes avi = list("RIFF", "AVI ", form);
    if (recipe.bytesAfterRiff) {
        uint32_t state = recipe.seed + 11;
        avi = concat({avi, list("RIFF", "AVIX", fill(recipe.bytesAfterRiff, state))});
    }
    return avi;
}

uint64_t indexOffsetOf(const AviRecipe& recipe) {
    AviRecipe withoutIndex = recipe;
    withoutIndex.withIndex = false;
    withoutIndex.junkAfterIndex = 0;
    withoutIndex.bytesAfterRiff = 0;
    return buildAvi(withoutIndex).size();
}

}  // namespace avstest
