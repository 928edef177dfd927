// Formatting of the --stats report.
#include "decode_stats.h"

#include <cstdio>

namespace g723dec {

namespace {

constexpr double frameSeconds = 0.030;

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// "12420.00 s (3:27:00)"; the clock form only from a minute on.
std::string durationText(double seconds) {
    std::string text = fixed(seconds, 2) + " s";
    if (seconds < 60.0) {
        return text;
    }
    const auto whole = static_cast<unsigned long long>(seconds);
    char clock[64];
    if (whole >= 3600) {
        std::snprintf(clock, sizeof clock, " (%llu:%02llu:%02llu)", whole / 3600, whole / 60 % 60, whole % 60);
    } else {
        std::snprintf(clock, sizeof clock, " (%llu:%02llu)", whole / 60, whole % 60);
    }
    return text + clock;
}

}  // namespace

std::string formatStats(const std::string& name, const DecodeStats& stats) {
    using std::to_string;
    const std::string prefix = name + ": ";
    std::string report = prefix + "frames: " + to_string(stats.frames()) + " (6.3k speech " +
                         to_string(stats.kindCount[0]) + ", 5.3k speech " + to_string(stats.kindCount[1]) + ", SID " +
                         to_string(stats.kindCount[2]) + ", untransmitted " + to_string(stats.kindCount[3]) +
                         ", lost " + to_string(stats.lost) + ")\n";
    report += prefix + "bad frames (invalid codes): " + to_string(stats.bad) + "\n";
    double duration = static_cast<double>(stats.frames()) * frameSeconds;
    report += prefix + "duration: " + durationText(duration) + "\n";
    if (stats.frames() > 0 && stats.decodeSeconds > 0.0) {
        report += prefix +
                  "decoder speed: " + fixed(stats.decodeSeconds * 1e6 / static_cast<double>(stats.frames()), 2) +
                  " us per frame, " + fixed(duration / stats.decodeSeconds, 0) + " times real time\n";
    }
    return report;
}

}  // namespace g723dec
