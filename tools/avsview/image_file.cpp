// Writing a snapshot file: encoded in memory, written in one go, removed again
// when it could not be written completely.
#include <windows.h>

#include <cctype>

#include "image.h"
#include "system_error.h"

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
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot create " + path + ": " + systemErrorText();
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, NULL) && written == bytes.size();
    const DWORD writeError = ok ? 0 : GetLastError();
    const BOOL closed = CloseHandle(file);
    if (!ok || !closed) {
        error = "cannot write " + path + ": " + systemErrorText(ok ? GetLastError() : writeError);
        DeleteFileA(path.c_str());
        return false;
    }
    return true;
}

}  // namespace avsview
