// avspack --unpack IN.avs OUT.avi: rebuilds the clip by feeding the whole
// stream, in chunks, through the stream format's reassembler; the clip is
// written only when the stream is a complete clip by the format's rules and
// (unless --any-clip) the clip is a RIFF AVI whose sizes agree.
#include <vector>

#include "clip_check.h"
#include "clip_output.h"
#include "commands.h"
#include "stream_file.h"
#include "stream_reassembler.h"

namespace avspack {

namespace {

// Answers kExitOk or the exit code of the failure.
int rebuild(kit::File& in, const std::string& inPath, uint64_t streamLength, ClipOutput& output, std::string& error) {
    avs::StreamReassembler reassembler(output, streamLength);
    std::vector<uint8_t> buffer(64 * 1024);
    if (!in.seekTo(0)) {
        error = "cannot read " + inPath + ": " + in.lastError();
        return kExitUnreadable;
    }
    for (uint64_t left = streamLength; left > 0;) {
        const std::size_t part = std::size_t(left < buffer.size() ? left : buffer.size());
        if (!in.readExactly(buffer.data(), part)) {
            error = "cannot read " + inPath + ": " + in.lastError();
            return kExitUnreadable;
        }
        if (reassembler.feed(buffer.data(), part) != avs::FeedResult::Taken) {
            error = output.writeError();
            return kExitOutput;
        }
        left -= part;
    }
    if (!reassembler.isComplete()) {
        error = inPath + ": no clip to rebuild: the stream holds nothing after its header";
        return kExitUnusable;
    }
    return output.commit(error) ? kExitOk : kExitOutput;
}

// Refuses a stream whose clip would not be an AVI (the plug-in would rebuild it all the same).
int checkClip(kit::File& in, const std::string& inPath, const avs::StreamLayout& layout, std::ostream& err) {
    std::string problem;
    switch (checkRebuiltClip(in, layout, problem)) {
    case ClipVerdict::Avi:
        return kExitOk;
    case ClipVerdict::NotAvi:
        err << "avspack: " << inPath << ": " << problem << " (--any-clip rebuilds it all the same)\n";
        return kExitUnusable;
    case ClipVerdict::ReadFailed:
        break;
    }
    err << "avspack: cannot read " << inPath << ": " << in.lastError() << "\n";
    return kExitUnreadable;
}

}  // namespace

int unpackCommand(const std::string& inPath, const std::string& outPath, bool anyClip, std::ostream& out,
                  std::ostream& err) {
    kit::File in;
    avs::StreamLayout layout;
    std::string error;
    const int opened = openStreamFile(inPath, in, layout, error);
    if (opened != kExitOk) {
        err << "avspack: " << error << "\n";
        return opened;
    }
    if (!avs::isAccepted(layout)) {
        err << "avspack: " << inPath
            << ": the plug-in refuses this stream: " << avs::describeProblem(layout.problems.front(), layout) << "\n";
        return kExitUnusable;
    }
    const int checked = anyClip ? kExitOk : checkClip(in, inPath, layout, err);
    if (checked != kExitOk) return checked;
    if (isTheInput(inPath, outPath, error)) {
        err << "avspack: " << error << "\n";
        return kExitOutput;
    }
    ClipOutput output(outPath);
    const int rebuilt = output.create(error) ? rebuild(in, inPath, layout.streamLength, output, error) : kExitOutput;
    if (rebuilt != kExitOk) {
        err << "avspack: " << error << "\n";
        return rebuilt;
    }
    out << outPath << ": " << layout.clipLength << " bytes rebuilt from " << inPath << "\n";
    return kExitOk;
}

}  // namespace avspack
