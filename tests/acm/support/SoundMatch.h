// Where a recording holds a reference sound: normalised cross-correlation at
// the best lag, and the sound without its zero samples (the silences a sound
// server plays while its player falls behind are zeros).
#pragma once

#include <cstddef>
#include <vector>

struct SoundMatch
{
    std::size_t lag = 0;      // where the reference starts in the recording, in samples
    double correlation = -2;  // normalised cross-correlation there, from -1 to 1
};

// The best lag over every lag at which the whole reference lies inside the
// recording; the recording must be at least as long as the reference.
SoundMatch BestLag(const std::vector<double>& reference, const std::vector<double>& recording);

// The samples without the zeros; kept[i] is the index in samples of what is
// left at i.
struct NonZero
{
    std::vector<double> samples;
    std::vector<std::size_t> kept;
};
NonZero WithoutZeros(const std::vector<double>& samples);
