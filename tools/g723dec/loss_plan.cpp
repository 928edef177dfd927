// Frame list parsing and the seeded per-frame loss decision.
#include "loss_plan.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace g723dec {

namespace {

// Frame numbers have at most 18 digits: beyond any stream (30 ms per frame).
constexpr size_t maxDigits = 18;
const char* const numberLimit = "999999999999999999";

// A frame number; error says why when text is none.
bool parseNumber(const std::string& text, uint64_t& value, std::string& error) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        error = "expected numbers N or ranges A-B (A <= B), separated by commas";
        return false;
    }
    if (text.find_first_not_of('0') != std::string::npos && text.size() - text.find_first_not_of('0') > maxDigits) {
        error = std::string("frame numbers go up to ") + numberLimit;
        return false;
    }
    value = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

bool parseItem(const std::string& item, std::pair<uint64_t, uint64_t>& range, std::string& error) {
    size_t dash = item.find('-');
    if (dash == std::string::npos) {
        if (!parseNumber(item, range.first, error)) {
            return false;
        }
        range.second = range.first;
        return true;
    }
    if (!parseNumber(item.substr(0, dash), range.first, error) ||
        !parseNumber(item.substr(dash + 1), range.second, error)) {
        return false;
    }
    if (range.first > range.second) {
        error = "a range A-B needs A <= B";
        return false;
    }
    return true;
}

// SplitMix64 finaliser: a well-mixed 64-bit value for each (seed, frame).
uint64_t mix(uint64_t value) {
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31);
}

}  // namespace

bool LossPlan::addList(const std::string& text, std::string& error) {
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::pair<uint64_t, uint64_t> range;
        std::string why;
        if (!parseItem(item, range, why)) {
            error = "bad frame list '" + text + "' at '" + item + "': " + why;
            return false;
        }
        ranges_.push_back(range);
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    mergeRanges();
    return true;
}

// Sorts the ranges and joins overlapping and adjacent ones, so that a lookup
// only has to look at the last range starting at or before a frame.
void LossPlan::mergeRanges() {
    std::sort(ranges_.begin(), ranges_.end());
    std::vector<std::pair<uint64_t, uint64_t>> merged;
    for (const auto& range : ranges_) {
        if (!merged.empty() && range.first <= merged.back().second + 1) {
            merged.back().second = std::max(merged.back().second, range.second);
        } else {
            merged.push_back(range);
        }
    }
    ranges_ = std::move(merged);
}

void LossPlan::setRate(double probability, uint64_t seed) {
    rate_ = probability;
    seed_ = seed;
}

bool LossPlan::isLost(uint64_t frame) const {
    auto after = std::upper_bound(ranges_.begin(), ranges_.end(), std::make_pair(frame, UINT64_MAX));
    if (after != ranges_.begin() && std::prev(after)->second >= frame) {
        return true;
    }
    if (rate_ <= 0.0) {
        return false;
    }
    uint64_t bits = mix(seed_ + (frame + 1) * 0x9E3779B97F4A7C15ULL);
    double uniform = static_cast<double>(bits >> 11) * (1.0 / 9007199254740992.0);  // [0, 1)
    return uniform < rate_;
}

uint64_t LossPlan::highestListed() const { return ranges_.empty() ? 0 : ranges_.back().second; }

}  // namespace g723dec
