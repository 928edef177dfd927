// The source behind a SOURCE argument.
#include "byte_source.h"
#include "file_source.h"
#include "http_source.h"
#include "options.h"

namespace avsview {

std::unique_ptr<ByteSource> makeByteSource(const std::string& source) {
    if (isHttpSource(source)) return std::unique_ptr<ByteSource>(new HttpSource(source));
    return std::unique_ptr<ByteSource>(new FileSource(source));
}

}  // namespace avsview
