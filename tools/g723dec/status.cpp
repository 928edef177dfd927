// Construction of failure results and of located messages.
#include "status.h"

#include <utility>

namespace g723dec {

Status failure(int exitCode, std::string message) {
    Status status;
    status.exitCode = exitCode;
    status.message = std::move(message);
    return status;
}

std::string atByte(const std::string& fileName, uint64_t offset, const std::string& text) {
    return fileName + ": byte " + std::to_string(offset) + ": " + text;
}

}  // namespace g723dec
