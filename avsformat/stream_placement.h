// Where a placed block goes and when: at its offset at once, or aside until the
// clip data written from offset 0 has come within the gap bound of it, so that
// the clip file never reaches further than that beyond what arrived. The start
// threshold of playback follows from it.
#pragma once

#include <cstdint>

#include "stream_header.h"

namespace avs {

// How far the clip file may reach beyond the clip data written so far.
constexpr uint32_t kMaxGapAhead = 64 * 1024 * 1024;
// Stream bytes after the placed block before playback starts.
constexpr uint32_t kStartAfterBlock = 10000;
// The start threshold while the header has not arrived.
constexpr uint32_t kUnknownStartBytes = 99999999;

// Clip data bytes that must be written before the placed block may go to its
// place: 0 when it may go there at once (or when it is empty).
uint64_t blockPlacementPoint(const StreamHeader& header, uint32_t gapBound);

// True when the placed block may be written now, clipWritten bytes of clip
// data having been written.
bool mayPlaceBlock(const StreamHeader& header, uint64_t clipWritten, uint32_t gapBound);

// Stream bytes (header included) after which playback may start: the placed
// block and kStartAfterBlock bytes after it, and never before a block held
// aside has reached its place. Saturates at 0xFFFFFFFF.
uint32_t startBytes(const StreamHeader& header, uint32_t gapBound);

}  // namespace avs
