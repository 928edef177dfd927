// avspack --unpack IN.avs OUT.avi: rebuilds the clip by feeding the whole
// stream, in chunks, through the stream format's reassembler; the clip is
// written only when the stream is a complete clip by the format's rules.
#include <vector>

#include "clip_output.h"
#include "commands.h"
#include "stream_file.h"
#include "stream_reassembler.h"

namespace avspack {

namespace {

bool rebuild(kit::File& in, const std::string& inPath, uint64_t streamLength, ClipOutput& output, std::string& error) {
    avs::StreamReassembler reassembler(output, streamLength);
    std::vector<uint8_t> buffer(64 * 1024);
    if (!in.seekTo(0)) {
        error = "cannot read " + inPath + ": " + in.lastError();
        return false;
    }
    for (uint64_t left = streamLength; left > 0;) {
        const std::size_t part = std::size_t(left < buffer.size() ? left : buffer.size());
        if (!in.readExactly(buffer.data(), part)) {
            error = "cannot read " + inPath + ": " + in.lastError();
            return false;
        }
        if (reassembler.feed(buffer.data(), part) != avs::FeedResult::Taken) {
            error = output.writeError();
            return false;
        }
        left -= part;
    }
    if (!reassembler.isComplete()) {
        error = inPath + ": no clip to rebuild: the stream holds nothing after its header";
        return false;
    }
    return output.commit(error);
}

}  // namespace

int unpackCommand(const std::string& inPath, const std::string& outPath, std::ostream& out, std::ostream& err) {
    kit::File in;
    avs::StreamLayout layout;
    std::string error;
    if (!openStreamFile(inPath, in, layout, error)) {
        err << "avspack: " << error << "\n";
        return kExitFailure;
    }
    if (!avs::isAccepted(layout)) {
        err << "avspack: " << inPath
            << ": the plug-in refuses this stream: " << avs::describeProblem(layout.problems.front(), layout) << "\n";
        return kExitFailure;
    }
    ClipOutput output(outPath);
    if (!output.create(error) || !rebuild(in, inPath, layout.streamLength, output, error)) {
        err << "avspack: " << error << "\n";
        return kExitFailure;
    }
    out << outPath << ": " << layout.clipLength << " bytes rebuilt from " << inPath << "\n";
    return kExitOk;
}

}  // namespace avspack
