// An http:// URL as a stream source, fetched with WinINet; the response's
// Content-Length is the stream's length.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>

#include "byte_source.h"

namespace avsview {

class HttpSource : public ByteSource {
public:
    explicit HttpSource(std::string url) : m_url(std::move(url)) {}
    ~HttpSource() override;

    bool open(std::string& error) override;
    bool read(uint8_t* buffer, std::size_t capacity, std::size_t& got, std::string& error) override;
    // Closes the request and session handles, which ends a connection attempt or
    // a read blocked in another thread.
    void cancel() override;

private:
    bool checkStatus(HINTERNET request, std::string& error);
    void readHeaders(HINTERNET request);

    std::string m_url;                       // as given on the command line
    std::atomic<HINTERNET> m_session{NULL};  // InternetOpen handle, NULL once closed
    std::atomic<HINTERNET> m_request{NULL};  // the URL's request, NULL once closed
};

}  // namespace avsview
