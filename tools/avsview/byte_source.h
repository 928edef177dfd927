// A source of stream bytes as the page fetches it: opened once, then read
// from the start to the end with blocking calls (run off the window thread).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace avsview {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Opens the source; on failure error says why. Fills in the length when known.
    virtual bool open(std::string& error) = 0;
    // Reads up to capacity bytes; got = 0 with true means the source has ended.
    virtual bool read(uint8_t* buffer, std::size_t capacity, std::size_t& got, std::string& error) = 0;
    // Makes a read blocked in another thread return soon (the page is closing).
    virtual void cancel() {}

    bool lengthKnown() const { return m_lengthKnown; }
    uint64_t length() const { return m_length; }              // when lengthKnown()
    uint32_t lastModified() const { return m_lastModified; }  // seconds since 1970, 0 = unknown

protected:
    bool m_lengthKnown = false;   // the source announced its length
    uint64_t m_length = 0;        // that length, in bytes
    uint32_t m_lastModified = 0;  // modification time the source reports
};

// The source behind a SOURCE argument: an http:// URL, or else a file.
std::unique_ptr<ByteSource> makeByteSource(const std::string& source);

}  // namespace avsview
