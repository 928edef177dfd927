// The download progress line: bytes, percent, rate and time left, rewritten in
// place on a terminal and not shown at all when stderr is a file or a pipe.
#pragma once

#include <cstdint>
#include <string>

namespace avsview {

// One progress text. total 0: the length is unknown (no percent, no time left).
std::string formatProgress(uint64_t bytes, uint64_t total, uint32_t elapsedMs);

class ProgressLine {
public:
    ProgressLine();
    // Rewrites the line, at most four times a second unless force is set.
    void update(uint64_t bytes, uint64_t total, uint32_t elapsedMs, bool force = false);
    // Ends the line, so that later output starts on a line of its own.
    void finish();

private:
    bool m_terminal;              // stderr is a console or terminal
    bool m_shown = false;         // a line is on the screen and not ended
    uint32_t m_lastMs = 0;        // elapsedMs of the last rewrite
    std::size_t m_lastWidth = 0;  // length of the text last written
};

}  // namespace avsview
