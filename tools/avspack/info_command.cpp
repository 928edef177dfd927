// avspack --info FILE.avs: the header, where each part of the stream lands in
// the rebuilt clip, and whether it is consistent: the plug-in accepts the
// stream and the clip it rebuilds is a RIFF AVI whose sizes agree.
#include <algorithm>
#include <vector>

#include "clip_check.h"
#include "commands.h"
#include "stream_file.h"
#include "stream_placement.h"

namespace avspack {

namespace {

std::string range(uint64_t first, uint64_t length) {
    return std::to_string(first) + ".." + std::to_string(first + length - 1);
}

// Counts the bytes in which the block's overlapped part and the clip data there differ.
bool countOverlapDifferences(kit::File& in, const avs::StreamLayout& layout, uint64_t& differing, std::string& error) {
    const uint64_t blockStart = avs::kStreamHeaderSize;
    const uint64_t clipStart = blockStart + layout.header.blockLength + layout.header.blockOffset;
    std::vector<uint8_t> block(64 * 1024), clip(64 * 1024);
    differing = 0;
    for (uint64_t done = 0; done < layout.overlapLength;) {
        const std::size_t part = std::size_t(std::min<uint64_t>(layout.overlapLength - done, block.size()));
        if (!in.seekTo(blockStart + done) || !in.readExactly(block.data(), part) || !in.seekTo(clipStart + done) ||
            !in.readExactly(clip.data(), part)) {
            error = in.lastError();
            return false;
        }
        for (std::size_t i = 0; i < part; ++i) differing += block[i] != clip[i];
        done += part;
    }
    return true;
}

void printParts(const avs::StreamLayout& layout, std::ostream& out) {
    const avs::StreamHeader& header = layout.header;
    out << "header:        blockOffset " << header.blockOffset << ", blockLength " << header.blockLength << "\n";
    if (header.blockLength)
        out << "placed block:  " << header.blockLength << " bytes at stream offset 8, for clip offsets "
            << range(header.blockOffset, header.blockLength) << "\n";
    else
        out << "placed block:  none\n";
    if (!avs::isAccepted(layout)) return;
    out << "clip data:     " << layout.clipDataLength << " bytes";
    if (layout.clipDataLength)
        out << " at stream offset " << avs::kStreamHeaderSize + header.blockLength << ", for clip offsets "
            << range(0, layout.clipDataLength);
    out << "\nrebuilt clip:  " << layout.clipLength << " bytes\n";
    const uint64_t startBytes = avs::startBytes(header, avs::kMaxGapAhead);
    out << "playback:      starts once " << startBytes << " stream bytes have arrived"
        << (startBytes > layout.streamLength ? " (never during the download: the stream is shorter)" : "") << "\n";
}

// The overlap of block and clip data, when there is one; false if it cannot be read.
bool printOverlap(kit::File& in, const std::string& path, const avs::StreamLayout& layout, std::ostream& out,
                  std::ostream& err) {
    if (!layout.overlapLength) return true;
    uint64_t differing = 0;
    std::string error;
    if (!countOverlapDifferences(in, layout, differing, error)) {
        err << "avspack: cannot read " << path << ": " << error << "\n";
        return false;
    }
    out << "overlap:       clip offsets " << range(layout.header.blockOffset, layout.overlapLength)
        << " come in both parts; the clip data's bytes are kept (";
    if (differing)
        out << differing << " of them differ from the placed block's)\n";
    else
        out << "identical to the placed block's)\n";
    return true;
}

}  // namespace

int infoCommand(const std::string& path, std::ostream& out, std::ostream& err) {
    kit::File in;
    avs::StreamLayout layout;
    std::string error;
    const int opened = openStreamFile(path, in, layout, error);
    if (opened != kExitOk) {
        err << "avspack: " << error << "\n";
        return opened;
    }
    out << path << ": " << layout.streamLength << " bytes\n";
    printParts(layout, out);
    if (!printOverlap(in, path, layout, out, err)) return kExitUnreadable;
    if (!avs::isAccepted(layout)) {
        out << "consistent:    no, the plug-in refuses this stream\n";
        for (avs::HeaderProblem problem : layout.problems)
            out << "problem:       " << avs::describeProblem(problem, layout) << "\n";
        return kExitUnusable;
    }
    std::string problem;
    switch (checkRebuiltClip(in, layout, problem)) {
    case ClipVerdict::Avi:
        out << "consistent:    yes\n";
        return kExitOk;
    case ClipVerdict::NotAvi:
        out << "consistent:    no, " << problem << "\n";
        return kExitUnusable;
    case ClipVerdict::ReadFailed:
        break;
    }
    err << "avspack: cannot read " << path << ": " << in.lastError() << "\n";
    return kExitUnreadable;
}

}  // namespace avspack
