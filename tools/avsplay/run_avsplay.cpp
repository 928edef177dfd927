// avsplay's run: reads the input in chunks (a clip given with --clip travels
// as a stream without a placed block), feeds each to the player and writes
// the frames and the sound that have become playable, then reports.
#include "run_avsplay.h"

#include <cstdio>

#include "frame_output.h"
#include "kit/file.h"
#include "options.h"
#include "player.h"
#include "sound_output.h"

namespace avsplay {

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr uint64_t kSoundStep = 65536;  // sample frames taken from the player at a time

struct Run {
    player::Player& player;
    FrameOutput& frames;
    SoundOutput& sound;
    const Options& options;
    bool announced;  // the stream's length is known
    std::size_t framesWritten = 0;
    uint64_t soundFrames = 0;
    std::string error;
    int status = kExitSuccess;
};

bool fail(Run& run, int status, const std::string& error) {
    run.status = status;
    run.error = error;
    return false;
}

// Writes what has become playable since the last call.
bool emit(Run& run) {
    player::Player& player = run.player;
    if (!run.options.soundPath.empty() && !run.sound.isOpen() && player.hasSound() &&
        !run.sound.open(run.options.soundPath, player.soundRate(), player.soundChannels(), run.error))
        return fail(run, kExitOutput, run.error);
    for (; run.framesWritten < player.playableFrames(); ++run.framesWritten) {
        const player::Picture* picture = player.frame(run.framesWritten);
        if (picture == nullptr) return fail(run, kExitStream, player.error());
        if (!player.lastWarning().empty()) std::fprintf(stderr, "avsplay: %s\n", player.lastWarning().c_str());
        if (!run.frames.write(run.framesWritten, *picture, run.error)) return fail(run, kExitOutput, run.error);
    }
    // In steps, so that the decoded sound held at once stays small however long the clip.
    for (std::vector<int16_t> pcm; player.takeSound(run.soundFrames + kSoundStep, pcm) > 0; pcm.clear()) {
        run.soundFrames += pcm.size() / std::size_t(player.soundChannels());
        if (run.sound.isOpen() && !run.sound.write(pcm, run.error)) return fail(run, kExitOutput, run.error);
    }
    return true;
}

bool feed(Run& run, const uint8_t* data, std::size_t length) {
    if (!run.player.feed(data, length)) return fail(run, kExitStream, run.player.error());
    return emit(run);
}

bool play(Run& run, kit::File& input) {
    if (run.options.rawClip) {
        const uint8_t noBlock[8] = {};  // a stream header without a placed block
        if (!feed(run, noBlock, sizeof noBlock)) return false;
    }
    std::vector<uint8_t> chunk(kChunkBytes);
    uint64_t total = 0;
    for (std::size_t got; (got = input.read(chunk.data(), chunk.size())) > 0; total += got) {
        if (!feed(run, chunk.data(), got)) return false;
    }
    if (input.failed()) return fail(run, kExitStream, run.options.input + ": cannot read: " + input.lastError());
    // A stream of unknown length (standard input) ends where the sender stops.
    if (!run.player.allArrived() || (run.announced && !run.player.isComplete())) {
        return fail(run, kExitStream,
                    "the stream ended after " + std::to_string(total) + " bytes, before the clip was complete (" +
                        std::to_string(run.framesWritten) + " of " + std::to_string(run.player.frameCount()) +
                        " frames written)");
    }
    if (!run.options.soundPath.empty() && !run.player.hasSound()) {
        const std::string why = run.player.soundNote().empty() ? "the clip has no sound" : run.player.soundNote();
        return fail(run, kExitStream, why);
    }
    if (!run.frames.finish(run.error) || (run.sound.isOpen() && !run.sound.finish(run.error)))
        return fail(run, kExitOutput, run.error);
    return true;
}

void describe(const Run& run) {
    const player::Player& player = run.player;
    if (!player.hasHeaders()) return;
    const player::VideoFormat& video = player.headers().video;
    std::fprintf(stderr, "avsplay: %dx%d, %.3f frames/s, %zu frames written of %zu", video.width, video.height,
                 player.framesPerSecond(), run.framesWritten, player.frameCount());
    if (player.hasSound())
        std::fprintf(stderr, "; sound %u Hz, %d channel(s), %llu samples", player.soundRate(), player.soundChannels(),
                     static_cast<unsigned long long>(run.soundFrames));
    std::fprintf(stderr, "\n");
}

}  // namespace

int runAvsplay(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    if (!parseOptions(args, options, error)) {
        std::fprintf(stderr, "avsplay: %s\n%s", error.c_str(), kHelpText);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kHelpText, stdout);
        return kExitSuccess;
    }
    kit::File input;
    uint64_t inputSize = 0;
    if (options.input == "-") {
        input.useStandardInput();
    } else if (!input.openForReading(options.input) || !input.size(inputSize) || !input.seekTo(0)) {
        std::fprintf(stderr, "avsplay: %s: cannot read: %s\n", options.input.c_str(), input.lastError().c_str());
        return kExitStream;
    }
    const uint64_t announced = options.input == "-" ? 0 : inputSize + (options.rawClip ? 8 : 0);
    player::Player player(announced);
    FrameOutput frames;
    SoundOutput sound;
    Run run{player, frames, sound, options, announced != 0, 0, 0, {}, kExitSuccess};
    if (!frames.open(options.framesDir, options.rgbaPath, error)) {
        std::fprintf(stderr, "avsplay: %s\n", error.c_str());
        return kExitOutput;
    }
    const bool played = play(run, input);
    describe(run);
    if (!played) std::fprintf(stderr, "avsplay: %s: %s\n", options.input.c_str(), run.error.c_str());
    return run.status;
}

}  // namespace avsplay
