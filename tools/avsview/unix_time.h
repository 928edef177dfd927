// Windows time stamps as the seconds since 1970 that NPStream::lastmodified holds.
#pragma once

#include <windows.h>

#include <cstdint>

namespace avsview {

// 0 for times before 1970.
inline uint32_t unixSeconds(const FILETIME& time) {
    const uint64_t ticks = (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    const uint64_t epoch = 116444736000000000ULL;  // 1970-01-01 in 100 ns units since 1601
    return ticks > epoch ? static_cast<uint32_t>((ticks - epoch) / 10000000ULL) : 0;
}

}  // namespace avsview
