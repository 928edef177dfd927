// Placement of the block for a pack.
#include "pack_plan.h"

namespace avspack {

namespace {

constexpr uint64_t kWordLimit = 0xFFFFFFFFull;

}  // namespace

bool planPack(uint64_t fileSize, const kit::AviScan& scan, const BlockChoice& block, PackPlan& plan,
              std::string& error) {
    uint64_t offset = 0;
    uint64_t length = 0;
    switch (block.kind) {
    case BlockChoice::Kind::Index:
        if (!scan.hasIndex) {
            error = "it has no 'idx1' index chunk to send first (--block none packs it without a placed block)";
            return false;
        }
        offset = scan.indexOffset;
        length = fileSize - scan.indexOffset;
        break;
    case BlockChoice::Kind::None:
        break;
    case BlockChoice::Kind::Range:
        offset = block.offset;
        length = block.length;
        if (offset + length > fileSize) {
            error = "the block " + std::to_string(offset) + ":" + std::to_string(length) +
                    " runs past the end of the file (" + std::to_string(fileSize) + " bytes)";
            return false;
        }
        break;
    }
    if (offset > kWordLimit || length > kWordLimit) {
        error = "the block lies beyond the 4 GiB that the stream header can describe";
        return false;
    }
    plan.header.blockOffset = uint32_t(offset);
    plan.header.blockLength = uint32_t(length);
    plan.clipDataLength = offset + length == fileSize ? offset : fileSize;
    return true;
}

}  // namespace avspack
