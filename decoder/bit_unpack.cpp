// Bit unpacking of the four frame kinds (higher-rate speech, lower-rate
// speech, silence descriptor, untransmitted) into FrameParams.
#include "bit_unpack.h"

#include <cstring>

namespace {

constexpr int32_t minValidLagCode = 124;  // lag codes 124..127 are invalid
constexpr int32_t minPitchLag = 18;
constexpr int32_t shortLagLimit = 58;  // higher-rate lags below this use the 85-row gain table

void readLags(BitCursor& cursor, FrameParams* params) {
    for (int32_t half = 0; half < 2; ++half) {
        int32_t code = readBits(cursor, 7);
        if (code >= minValidLagCode) {
            params->badFrame += 1;
            params->pitchLag[half] = code;
        } else {
            params->pitchLag[half] = code + minPitchLag;
        }
        params->sub[2 * half].lagDelta = 1;
        params->sub[2 * half + 1].lagDelta = readBits(cursor, 2);
    }
}

void readGains(BitCursor& cursor, FrameParams* params, int32_t lowRate) {
    for (int32_t i = 0; i < 4; ++i) {
        SubframeParams& sub = params->sub[i];
        int32_t code = readBits(cursor, 12);
        int32_t rowBound = 170;
        sub.pulseTrain = 0;
        if (lowRate == 0 && params->pitchLag[i / 2] < shortLagLimit) {
            rowBound = 85;
            sub.pulseTrain = (code >> 11) & 1;
            code &= 0x7FF;
        }
        sub.acbGainIndex = code / 24;
        sub.fixedGainIndex = code % 24;
        if (sub.acbGainIndex == rowBound) {
            params->badFrame += 1;
        }
    }
}

void readLowRatePulses(BitCursor& cursor, FrameParams* params) {
    for (SubframeParams& sub : params->sub) {
        sub.pulsePos = readBits(cursor, 12);
    }
    for (SubframeParams& sub : params->sub) {
        sub.pulseSigns = readBits(cursor, 4);
    }
}

// The 13-bit index M = (h0 * 9 + h1) * 90 + h2 * 9 + h3 carries the high
// parts of the four position codes; the low parts follow as 16/14/16/14 bits.
void readHighRatePulses(BitCursor& cursor, FrameParams* params) {
    readBits(cursor, 1);  // reserved
    int32_t combined = readBits(cursor, 13);
    const int32_t high[4] = {(combined / 90) / 9, (combined / 90) % 9, (combined % 90) / 9, (combined % 90) % 9};
    static const int32_t lowBits[4] = {16, 14, 16, 14};
    static const int32_t signBits[4] = {6, 5, 6, 5};
    for (int32_t i = 0; i < 4; ++i) {
        params->sub[i].pulsePos = (high[i] << lowBits[i]) + readBits(cursor, lowBits[i]);
    }
    for (int32_t i = 0; i < 4; ++i) {
        params->sub[i].pulseSigns = readBits(cursor, signBits[i]);
    }
}

}  // namespace

int32_t readBits(BitCursor& cursor, int32_t n) {
    // The field lies in at most three bytes; only those are read.
    const int32_t first = cursor.bitPos >> 3;
    const int32_t shift = cursor.bitPos & 7;
    const int32_t count = (shift + n + 7) >> 3;
    uint32_t window = 0;
    for (int32_t k = 0; k < count; ++k) {
        window |= static_cast<uint32_t>(cursor.bytes[first + k]) << (8 * k);
    }
    cursor.bitPos += n;
    return static_cast<int32_t>((window >> shift) & ((1u << n) - 1u));
}

void unpackFrame(FrameParams* params, uint8_t* frame, int32_t lowRate, int32_t bad) {
    std::memset(params, 0, sizeof *params);
    params->badFrame = bad;
    if (bad != 0) {
        return;
    }
    static const int32_t typeOfKind[4] = {1, 1, 2, 0};
    int32_t kind = frame[0] & 3;
    params->frameType = typeOfKind[kind];
    if (params->frameType == 0) {
        return;  // an untransmitted frame carries nothing after its kind
    }
    BitCursor cursor{frame, 2};
    params->lspIndex[2] = readBits(cursor, 8);
    params->lspIndex[1] = readBits(cursor, 8);
    params->lspIndex[0] = readBits(cursor, 8);
    if (params->frameType == 2) {
        params->sidGainCode = readBits(cursor, 6);
        return;
    }
    readLags(cursor, params);
    readGains(cursor, params, lowRate);
    for (SubframeParams& sub : params->sub) {
        sub.grid = readBits(cursor, 1);
    }
    if (lowRate != 0) {
        readLowRatePulses(cursor, params);
    } else {
        readHighRatePulses(cursor, params);
    }
}
