// RIFF AVI construction for the tests: chunk by chunk, sizes patched in when
// each list is complete.
#include "avi_builder.h"

#include <cstring>

namespace avstest {

namespace {

class RiffWriter {
public:
    void fourCc(const char* code) { m_bytes.insert(m_bytes.end(), code, code + 4); }
    void word(uint32_t value) {
        for (int i = 0; i < 4; ++i) m_bytes.push_back(uint8_t(value >> (8 * i)));
    }
    // Starts a chunk (or a list with its type) and returns where its size goes.
    std::size_t open(const char* id, const char* listType = nullptr) {
        fourCc(id);
        const std::size_t sizeAt = m_bytes.size();
        word(0);
        if (listType) fourCc(listType);
        return sizeAt;
    }
    void close(std::size_t sizeAt) {
        const uint32_t size = uint32_t(m_bytes.size() - sizeAt - 4);
        for (int i = 0; i < 4; ++i) m_bytes[sizeAt + i] = uint8_t(size >> (8 * i));
        if (size & 1) m_bytes.push_back(0);
    }
    void fill(uint32_t count, uint32_t& state) {
        for (uint32_t i = 0; i < count; ++i) {
            state = state * 1103515245u + 12345u;
            m_bytes.push_back(uint8_t(state >> 16));
        }
    }
    std::size_t size() const { return m_bytes.size(); }
    std::vector<uint8_t>& bytes() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

uint32_t frameSize(const AviRecipe& recipe, int frame) { return recipe.frameBytes + uint32_t(frame) * recipe.frameGrowth; }

void writeHeaders(RiffWriter& riff, const AviRecipe& recipe) {
    const std::size_t hdrl = riff.open("LIST", "hdrl");
    const std::size_t avih = riff.open("avih");
    const uint32_t mainHeader[14] = {66666, 0, 0, 0x10, uint32_t(recipe.frames), 0, 1, 0, 160, 120, 0, 0, 0, 0};
    for (uint32_t value : mainHeader) riff.word(value);
    riff.close(avih);
    const std::size_t strl = riff.open("LIST", "strl");
    const std::size_t strh = riff.open("strh");
    riff.fourCc("vids");
    riff.fourCc("MSVC");
    const uint32_t streamHeader[12] = {0, 0, 0, 1, 15, 0, uint32_t(recipe.frames), 0, 0xFFFFFFFFu, 0, 0, 0};
    for (uint32_t value : streamHeader) riff.word(value);
    riff.close(strh);
    const std::size_t strf = riff.open("strf");
    const uint32_t bitmapInfo[10] = {40, 160, 120, 0x00100001u, 0x4356534d, 160 * 120 * 2, 0, 0, 0, 0};
    for (uint32_t value : bitmapInfo) riff.word(value);
    riff.close(strf);
    riff.close(strl);
    riff.close(hdrl);
}

// Writes the frames; offsets gets each frame chunk's offset from the 'movi' type.
std::size_t writeMovie(RiffWriter& riff, const AviRecipe& recipe, std::vector<uint32_t>& offsets) {
    const std::size_t movi = riff.open("LIST", "movi");
    const std::size_t moviType = riff.size() - 4;
    uint32_t state = recipe.seed;
    for (int frame = 0; frame < recipe.frames; ++frame) {
        offsets.push_back(uint32_t(riff.size() - moviType));
        const std::size_t chunk = riff.open("00dc");
        riff.fill(frameSize(recipe, frame), state);
        riff.close(chunk);
    }
    riff.close(movi);
    return moviType;
}

void writeJunk(RiffWriter& riff, uint32_t bytes, uint32_t seed) {
    const std::size_t junk = riff.open("JUNK");
    riff.fill(bytes, seed);
    riff.close(junk);
}

}  // namespace

std::vector<uint8_t> buildAvi(const AviRecipe& recipe) {
    RiffWriter riff;
    const std::size_t form = riff.open("RIFF", "AVI ");
    writeHeaders(riff, recipe);
    std::vector<uint32_t> offsets;
    writeMovie(riff, recipe, offsets);
    if (recipe.junkBeforeIndex) writeJunk(riff, recipe.junkBeforeIndex, recipe.seed + 5);
    if (recipe.withIndex) {
        const std::size_t idx1 = riff.open("idx1");
        for (int frame = 0; frame < recipe.frames; ++frame) {
            riff.fourCc("00dc");
            riff.word(0x10);
            riff.word(offsets[frame]);
            riff.word(frameSize(recipe, frame));
        }
        riff.close(idx1);
    }
    if (recipe.junkAfterIndex) writeJunk(riff, recipe.junkAfterIndex, recipe.seed + 7);
    riff.close(form);
    if (recipe.bytesAfterRiff) {
        const std::size_t extra = riff.open("RIFF", "AVIX");
        uint32_t state = recipe.seed + 11;
        riff.fill(recipe.bytesAfterRiff, state);
        riff.close(extra);
    }
    return riff.bytes();
}

uint64_t indexOffsetOf(const AviRecipe& recipe) {
    AviRecipe withoutIndex = recipe;
    withoutIndex.withIndex = false;
    withoutIndex.junkAfterIndex = 0;
    withoutIndex.bytesAfterRiff = 0;
    return buildAvi(withoutIndex).size();
}

}  // namespace avstest
