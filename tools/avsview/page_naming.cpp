// Names derived from the command line.
#include "page_naming.h"

#include "options.h"
#include "stream_delivery.h"

namespace avsview {

namespace {

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Characters a URL path segment carries as they are.
bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

std::string percentEncoded(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (isUnreserved(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace

std::string streamUrl(const std::string& source, const std::string& givenUrl) {
    if (!givenUrl.empty()) return givenUrl;
    if (isHttpSource(source)) return source;
    return "http://localhost/" + percentEncoded(fileNameOf(source));
}

std::vector<std::pair<std::string, std::string>> embedAttributes(const std::string& url, int width, int height,
                                                                 const std::string& autostart) {
    std::vector<std::pair<std::string, std::string>> attributes = {
        {"src", url}, {"type", kMimeType}, {"width", std::to_string(width)}, {"height", std::to_string(height)}};
    if (!autostart.empty()) attributes.emplace_back("autostart", autostart);
    return attributes;
}

std::string elementPath(const std::string& path, int index, int count) {
    if (count <= 1) return path;
    const std::size_t slash = path.find_last_of("\\/:");
    const std::size_t dot = path.find_last_of('.');
    const std::size_t at = dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path.size() : dot;
    return path.substr(0, at) + "-" + std::to_string(index) + path.substr(at);
}

}  // namespace avsview
