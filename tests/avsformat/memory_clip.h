// memory_clip.h - a clip writer in memory for the format library's tests: it records how
// often it was touched, keeps a held block aside, and can fail a chosen call.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "clip_writer.h"

class MemoryClip : public avs::ClipWriter {
public:
    bool seekTo(uint64_t offset) override {
        if (++calls == failOnCall) return false;
        position = offset;
        return true;
    }
    bool write(const uint8_t* data, std::size_t length) override {
        if (++calls == failOnCall) return false;
        if (position + length > bytes.size()) bytes.resize(position + length);
        std::copy(data, data + length, bytes.begin() + std::ptrdiff_t(position));
        position += length;
        return true;
    }
    bool holdBlock(uint64_t, const uint8_t* data, std::size_t length) override {
        if (++calls == failOnCall) return false;
        held.insert(held.end(), data, data + length);
        return true;
    }
    bool writeHeldBlock() override {
        std::vector<uint8_t> block;
        block.swap(held);
        return write(block.data(), block.size());
    }

    std::vector<uint8_t> bytes;  // the clip so far
    std::vector<uint8_t> held;   // the block kept aside
    uint64_t position = 0;
    int calls = 0;        // seekTo, write and holdBlock calls so far
    int failOnCall = -1;  // the call (counted from 1) that fails
};
