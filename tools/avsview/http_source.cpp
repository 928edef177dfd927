// An http:// URL fetched with WinINet, directly (no proxy, no cache): the
// status must be 200; Content-Length and Last-Modified are taken when sent; a
// server that stays silent for a minute ends the download.
#include "http_source.h"

#include "system_error.h"
#include "unix_time.h"

namespace avsview {

namespace {

const char kAgent[] = "avsview/1.0";
// A server silent for this long fails the download (connection, then each read).
const DWORD kSilenceMs = 60000;

std::string winInetError(DWORD code) {
    if (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST)
        return systemErrorText(code, GetModuleHandleA("wininet.dll"));
    return systemErrorText(code);
}

uint32_t secondsOf(const SYSTEMTIME& time) {
    FILETIME file;
    return SystemTimeToFileTime(&time, &file) ? unixSeconds(file) : 0;
}

}  // namespace

HttpSource::~HttpSource() { cancel(); }

bool HttpSource::open(std::string& error) {
    HINTERNET session = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_DIRECT, NULL, NULL, 0);
    if (session == NULL) {
        error = "cannot start WinINet: " + winInetError(GetLastError());
        return false;
    }
    m_session = session;
    DWORD silence = kSilenceMs;
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &silence, sizeof(silence));
    InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &silence, sizeof(silence));
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES;
    HINTERNET request = InternetOpenUrlA(session, m_url.c_str(), NULL, 0, flags, 0);
    if (request == NULL) {
        error = "cannot fetch " + m_url + ": " + winInetError(GetLastError());
        return false;
    }
    m_request = request;
    if (!checkStatus(request, error)) return false;
    readHeaders(request);
    return true;
}

bool HttpSource::checkStatus(HINTERNET request, std::string& error) {
    DWORD status = 0, size = sizeof(status), index = 0;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &index)) {
        error = "no HTTP status from " + m_url;
        return false;
    }
    if (status == 200) return true;
    char text[256] = {};
    DWORD textSize = sizeof(text) - 1;
    index = 0;
    HttpQueryInfoA(request, HTTP_QUERY_STATUS_TEXT, text, &textSize, &index);
    error = m_url + " answered HTTP " + std::to_string(status) + (text[0] ? " " + std::string(text) : "");
    return false;
}

void HttpSource::readHeaders(HINTERNET request) {
    DWORD length = 0, size = sizeof(length), index = 0;
    if (HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, &index)) {
        m_lengthKnown = true;
        m_length = length;
    }
    SYSTEMTIME modified;
    size = sizeof(modified);
    index = 0;
    if (HttpQueryInfoA(request, HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME, &modified, &size, &index))
        m_lastModified = secondsOf(modified);
}

bool HttpSource::read(uint8_t* buffer, std::size_t capacity, std::size_t& got, std::string& error) {
    HINTERNET request = m_request.load();
    DWORD count = 0;
    if (request == NULL || !InternetReadFile(request, buffer, static_cast<DWORD>(capacity), &count)) {
        error = request == NULL ? "the download was stopped"
                                : "reading " + m_url + " failed: " + winInetError(GetLastError());
        return false;
    }
    got = count;
    return true;
}

void HttpSource::cancel() {
    HINTERNET request = m_request.exchange(NULL);
    if (request != NULL) InternetCloseHandle(request);
    HINTERNET session = m_session.exchange(NULL);
    if (session != NULL) InternetCloseHandle(session);
}

}  // namespace avsview
