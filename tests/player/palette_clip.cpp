// The 8-bit clip: every fifth frame a key frame (no skipped blocks), a palette
// change of a random range before every third frame.
#include "palette_clip.h"

#include <cstring>
#include <random>
#include <string>

#include "bytes.h"

namespace playertest {

namespace {

using Bytes = std::vector<uint8_t>;

void appendChunk(Bytes& out, const char* id, const Bytes& data) {
    out.insert(out.end(), id, id + 4);
    kit::appendLe32(out, uint32_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) out.push_back(0);
}

Bytes list(const char* type, const Bytes& children) {
    Bytes data;
    data.reserve(4 + children.size());
    data.insert(data.end(), type, type + 4);
    data.insert(data.end(), children.begin(), children.end());
    return data;
}

Bytes headerList(const PaletteClipRecipe& recipe, std::mt19937& random) {
    Bytes avih;
    for (uint32_t word : {66667u, 0u, 0u, 0x10u, uint32_t(recipe.frames), 0u, 1u, 0u, uint32_t(recipe.width),
                          uint32_t(recipe.height), 0u, 0u, 0u, 0u})
        kit::appendLe32(avih, word);
    Bytes strh = {'v', 'i', 'd', 's', 'C', 'R', 'A', 'M'};
    for (uint32_t word : {0u, 0u, 0u, 1u, 15u, 0u, uint32_t(recipe.frames), 0u, 0xFFFFFFFFu, 0u, 0u})
        kit::appendLe32(strh, word);
    kit::appendLe16(strh, uint32_t(recipe.width));
    kit::appendLe16(strh, uint32_t(recipe.height));
    Bytes strf;
    for (uint32_t word : {40u, uint32_t(recipe.width), uint32_t(recipe.height)}) kit::appendLe32(strf, word);
    kit::appendLe16(strf, 1);
    kit::appendLe16(strf, 8);
    for (uint32_t word : {0x4D415243u, uint32_t(recipe.width * recipe.height), 0u, 0u, 256u, 0u})
        kit::appendLe32(strf, word);
    for (int i = 0; i < 256 * 4; ++i) strf.push_back(i % 4 == 3 ? 0 : uint8_t(random()));
    Bytes streamList;
    appendChunk(streamList, "strh", strh);
    appendChunk(streamList, "strf", strf);
    Bytes children;
    appendChunk(children, "avih", avih);
    appendChunk(children, "LIST", list("strl", streamList));
    return list("hdrl", children);
}

Bytes frameData(const PaletteClipRecipe& recipe, bool key, std::mt19937& random) {
    const int blocks = (recipe.width / 4) * (recipe.height / 4);
    Bytes data;
    for (int block = 0; block < blocks;) {
        const int kind = int(random() % (key ? 3 : 4));
        uint8_t a = uint8_t(random());
        if (kind == 3) {  // skip 1..3 blocks
            const int count = std::min(blocks - block, 1 + int(random() % 3));
            data.insert(data.end(), {uint8_t(count), 0x84});
            block += count;
            continue;
        }
        if (kind == 0) {  // one colour
            data.insert(data.end(), {a, uint8_t(random() % 2 ? 0x80 + random() % 4 : 0x88 + random() % 8)});
        } else {  // two colours (B below 0x80) or eight (from 0x90)
            const uint8_t b = uint8_t(kind == 1 ? random() % 0x80 : 0x90 + random() % 0x70);
            if (a == 0 && b == 0) a = 1;
            data.insert(data.end(), {a, b});
            for (int i = 0; i < (kind == 1 ? 2 : 8); ++i) data.push_back(uint8_t(random()));
        }
        ++block;
    }
    return data;
}

Bytes paletteChange(std::mt19937& random) {
    const int first = int(random() % 200);
    const int count = 1 + int(random() % 56);
    Bytes data = {uint8_t(first), uint8_t(count), 0, 0};
    for (int i = 0; i < count * 4; ++i) data.push_back(i % 4 == 3 ? 0 : uint8_t(random()));
    return data;
}

void indexEntry(Bytes& index, const char* id, uint32_t flags, uint32_t offset, uint32_t size) {
    index.insert(index.end(), id, id + 4);
    for (uint32_t word : {flags, offset, size}) kit::appendLe32(index, word);
}

}  // namespace

std::vector<uint8_t> makePaletteClip(const PaletteClipRecipe& recipe) {
    std::mt19937 random(recipe.seed);
    Bytes movi = {'m', 'o', 'v', 'i'};
    Bytes index;
    for (int frame = 0; frame < recipe.frames; ++frame) {
        if (frame % 3 == 2) {
            const Bytes change = paletteChange(random);
            indexEntry(index, "00pc", 0, uint32_t(movi.size()), uint32_t(change.size()));
            appendChunk(movi, "00pc", change);
        }
        const bool key = frame % 5 == 0;
        const Bytes data = frameData(recipe, key, random);
        indexEntry(index, "00dc", key ? 0x10 : 0, uint32_t(movi.size()), uint32_t(data.size()));
        appendChunk(movi, "00dc", data);
    }
    Bytes form = {'A', 'V', 'I', ' '};
    appendChunk(form, "LIST", headerList(recipe, random));
    appendChunk(form, "LIST", movi);
    appendChunk(form, "idx1", index);
    Bytes clip;
    appendChunk(clip, "RIFF", form);
    return clip;
}

}  // namespace playertest
