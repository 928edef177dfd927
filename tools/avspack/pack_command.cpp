// avspack IN.avi OUT.avs: the header, the placed block, then the clip data
// from file offset 0, written to a new stream file.
#include <vector>

#include "avi_check.h"
#include "clip_output.h"
#include "commands.h"

namespace avspack {

namespace {

bool copyRange(kit::File& in, const std::string& inPath, uint64_t offset, uint64_t length, ClipOutput& out,
               std::string& error) {
    std::vector<uint8_t> buffer(64 * 1024);
    if (!in.seekTo(offset)) {
        error = "cannot read " + inPath + ": " + in.lastError();
        return false;
    }
    while (length > 0) {
        const std::size_t part = std::size_t(length < buffer.size() ? length : buffer.size());
        if (!in.readExactly(buffer.data(), part)) {
            error = "cannot read " + inPath + ": " + in.lastError();
            return false;
        }
        if (!out.write(buffer.data(), part)) {
            error = out.writeError();
            return false;
        }
        length -= part;
    }
    return true;
}

bool writeStream(kit::File& in, const std::string& inPath, const PackPlan& plan, ClipOutput& out, std::string& error) {
    uint8_t header[avs::kStreamHeaderSize];
    avs::encodeStreamHeader(plan.header, header);
    if (!out.write(header, sizeof header)) {
        error = out.writeError();
        return false;
    }
    return copyRange(in, inPath, plan.header.blockOffset, plan.header.blockLength, out, error) &&
           copyRange(in, inPath, 0, plan.clipDataLength, out, error) && out.commit(error);
}

}  // namespace

int packCommand(const std::string& inPath, const std::string& outPath, const BlockChoice& block, std::ostream& out,
                std::ostream& err) {
    kit::File in;
    if (!in.openForReading(inPath)) {
        err << "avspack: cannot open " << inPath << ": " << in.lastError() << "\n";
        return kExitFailure;
    }
    uint64_t fileSize = 0;
    kit::AviScan scan;
    PackPlan plan;
    std::string error;
    if (!checkAvi(in, fileSize, scan, error) || !planPack(fileSize, scan, block, plan, error)) {
        err << "avspack: " << inPath << ": " << error << "\n";
        return kExitFailure;
    }
    ClipOutput output(outPath);
    if (!output.create(error) || !writeStream(in, inPath, plan, output, error)) {
        err << "avspack: " << error << "\n";
        return kExitFailure;
    }
    const uint64_t streamLength = avs::kStreamHeaderSize + plan.header.blockLength + plan.clipDataLength;
    out << outPath << ": " << streamLength << " bytes from " << inPath << " (" << fileSize << " bytes): ";
    if (plan.header.blockLength)
        out << "placed block of " << plan.header.blockLength << " bytes for clip offset " << plan.header.blockOffset;
    else
        out << "no placed block";
    out << ", then " << plan.clipDataLength << " bytes of clip data\n";
    return kExitOk;
}

}  // namespace avspack
