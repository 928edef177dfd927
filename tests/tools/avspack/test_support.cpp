// Implementation of the avspack test helpers.
#include "test_support.h"

#include <sstream>

#include "run_avspack.h"
#include "stream_header.h"

namespace avstest {

ToolRun runTool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    ToolRun run;
    run.exitCode = avspack::runAvspack(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

Bytes expectedStream(const Bytes& file, uint32_t offset, uint32_t length, uint64_t clipDataLength) {
    Bytes stream;
    for (uint32_t word : {offset, length})
        for (int i = 0; i < 4; ++i) stream.push_back(uint8_t(word >> (8 * i)));
    stream.insert(stream.end(), file.begin() + offset, file.begin() + offset + length);
    stream.insert(stream.end(), file.begin(), file.begin() + std::ptrdiff_t(clipDataLength));
    return stream;
}

}  // namespace avstest
