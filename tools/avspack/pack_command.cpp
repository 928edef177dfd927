// avspack IN.avi OUT.avs: the header, the placed block, then the clip data
// from file offset 0, written to a new stream file.
#include <vector>

#include "avi_check.h"
#include "clip_output.h"
#include "commands.h"
#include "stream_placement.h"

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

// A block held aside (beyond the gap bound) delays playback until the clip
// data has come within reach of it: says where, and what starts it sooner.
void warnLateStart(const std::string& outPath, const PackPlan& plan, uint64_t streamLength, std::ostream& err) {
    if (avs::blockPlacementPoint(plan.header, avs::kMaxGapAhead) == 0) return;
    const uint64_t start = avs::startBytes(plan.header, avs::kMaxGapAhead);
    err << "avspack: warning: " << outPath << ": playback can start only after " << start << " of its " << streamLength
        << " bytes (" << start * 100 / streamLength << " %) have arrived: the placed block belongs at clip offset "
        << plan.header.blockOffset << ", more than " << avs::kMaxGapAhead / (1024 * 1024)
        << " MiB ahead of the clip data, so it waits until the download comes near it; --block none starts "
           "playback after "
        << avs::startBytes(avs::StreamHeader{}, avs::kMaxGapAhead) << " bytes\n";
}

}  // namespace

int packCommand(const std::string& inPath, const std::string& outPath, const BlockChoice& block, std::ostream& out,
                std::ostream& err) {
    kit::File in;
    if (!in.openForReading(inPath)) {
        err << "avspack: cannot open " << inPath << ": " << in.lastError() << "\n";
        return kExitUnreadable;
    }
    uint64_t fileSize = 0;
    kit::AviScan scan;
    PackPlan plan;
    std::string error;
    if (!checkAvi(in, fileSize, scan, error) || !planPack(fileSize, scan, block, plan, error)) {
        err << "avspack: " << inPath << ": " << error << "\n";
        return in.failed() ? kExitUnreadable : kExitUnusable;
    }
    if (isTheInput(inPath, outPath, error)) {
        err << "avspack: " << error << "\n";
        return kExitOutput;
    }
    ClipOutput output(outPath);
    if (!output.create(error) || !writeStream(in, inPath, plan, output, error)) {
        err << "avspack: " << error << "\n";
        return in.failed() ? kExitUnreadable : kExitOutput;
    }
    const uint64_t streamLength = avs::kStreamHeaderSize + plan.header.blockLength + plan.clipDataLength;
    out << outPath << ": " << streamLength << " bytes from " << inPath << " (" << fileSize << " bytes): ";
    if (plan.header.blockLength)
        out << "placed block of " << plan.header.blockLength << " bytes for clip offset " << plan.header.blockOffset;
    else
        out << "no placed block";
    out << ", then " << plan.clipDataLength << " bytes of clip data\n";
    warnLateStart(outPath, plan, streamLength, err);
    return kExitOk;
}

}  // namespace avspack
