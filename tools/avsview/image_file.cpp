// Writing a snapshot file: encoded in memory and written as a kit output, which
// appears at its path only once complete (an existing file stays as it was
// until then, and a failure or a fatal signal leaves nothing behind).
#include <cctype>

#include "image.h"
#include "kit/output_file.h"

namespace avsview {

namespace {

bool isPngPath(const std::string& path) {
    if (path.size() < 4) return false;
    std::string extension = path.substr(path.size() - 4);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".png";
}

}  // namespace

bool writeImage(const std::string& path, const Image& image, std::string& error) {
    const std::vector<uint8_t> bytes = isPngPath(path) ? encodePng(image) : encodeBmp(image);
    kit::OutputFile file;
    if (!file.create(path)) {
        error = "cannot create " + path + ": " + file.lastError();
        return false;
    }
    if (!file.write(bytes.data(), bytes.size()) || !file.commit()) {
        error = "cannot write " + path + ": " + file.lastError();
        return false;
    }
    return true;
}

}  // namespace avsview
