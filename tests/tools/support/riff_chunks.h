// RIFF chunks built in memory for the tools' tests, so that they can also
// produce broken and unusual files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scratch_files.h"

namespace toolstest {

Bytes concat(const std::vector<Bytes>& parts);

// A chunk: id, 32-bit size, payload, pad byte for odd sizes. declaredSize
// overrides the size field (for cut-short or unknown-size chunks).
Bytes chunk(const std::string& id, const Bytes& payload, int64_t declaredSize = -1);
// A RIFF or LIST chunk of the given type around its children.
Bytes list(const std::string& id, const std::string& type, const Bytes& children);

}  // namespace toolstest
