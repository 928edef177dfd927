// acm_sound_match REFERENCE RECORDING: where a recording (raw 16-bit mono
// samples) holds the reference best, by normalised cross-correlation at the
// best lag. A player that falls behind (as on an emulated machine) makes the
// sound server play silence inside the sound, which shifts its later parts;
// so the sound is compared without its zero samples (those of the speech are
// taken out of both alike; this needs a path that leaves the samples as they
// are, as a sink of the clip's own format does), and also as recorded. Sound that fell behind the
// pictures is cut off at the end (Wine's AVI device closes the sound when the
// pictures end), so the comparison is with as much of the reference's sound as
// was heard, and the share heard is reported.
// First lines: "lag L samples, correlation C, recording peak P" (L in the
// recording as made) and "heard N% of the reference's sound ...", or for a
// silent recording "no sound ... recording peak 0"; exit code 1 when the files
// cannot be read or the reference is silent.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "SoundMatch.h"

namespace {

// Room before and after what is left of the recording for the best lag.
const std::size_t kSlack = 4000;

bool ReadSamples(const char* path, std::vector<double>& samples)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    samples.resize(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
    {
        samples[i] =
            static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<double> ref, rec;
    if (argc != 3 || !ReadSamples(argv[1], ref) || !ReadSamples(argv[2], rec))
    {
        std::fprintf(stderr, "usage: acm_sound_match REFERENCE.raw RECORDING.raw (both readable)\n");
        return 1;
    }
    double peak = 0;
    for (double s : rec)
        peak = std::fmax(peak, std::fabs(s));
    NonZero heard = WithoutZeros(rec);
    const NonZero played = WithoutZeros(ref);
    const std::size_t heardZeros = rec.size() - heard.samples.size();
    if (played.samples.empty())
    {
        std::fprintf(stderr, "acm_sound_match: the reference %s is silent\n", argv[1]);
        return 1;
    }
    if (heard.samples.empty())
    {
        std::printf("no sound in the recording of %zu samples: correlation 0, recording peak 0\n", rec.size());
        return 0;
    }
    const std::size_t compared = std::min(heard.samples.size(), played.samples.size());
    const std::vector<double> playedPart(played.samples.begin(), played.samples.begin() + compared);
    heard.samples.insert(heard.samples.begin(), kSlack, 0.0);
    heard.kept.insert(heard.kept.begin(), kSlack, heard.kept.front());
    heard.samples.resize(std::max(heard.samples.size() + kSlack, played.samples.size() + 2 * kSlack));
    heard.kept.resize(heard.samples.size(), rec.size());
    const SoundMatch match = BestLag(playedPart, heard.samples);
    // The lag in the recording as made, at the first sample of the match that
    // lies in the recording.
    std::size_t first = 0;
    while (match.lag + first < kSlack && first + 1 < played.kept.size())
        ++first;
    const std::size_t at = heard.kept[match.lag + first];
    const std::size_t lag = at - std::min(at, played.kept[first]);
    std::printf("lag %zu samples, correlation %.4f, recording peak %.0f\n", lag, match.correlation, peak);
    std::printf("heard %zu%% of the reference's sound (%zu of %zu non-zero samples, compared from its start)\n",
                compared * 100 / played.samples.size(), compared, played.samples.size());
    std::printf("zero samples taken out: %zu of the recording's %zu, %zu of the reference's %zu\n", heardZeros,
                rec.size(), ref.size() - played.samples.size(), ref.size());
    if (rec.size() >= ref.size())
    {
        const SoundMatch asRecorded = BestLag(ref, rec);
        std::printf("as recorded: lag %zu samples, correlation %.4f\n", asRecorded.lag, asRecorded.correlation);
    }
    return 0;
}
