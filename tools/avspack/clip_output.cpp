// avspack's messages around the temporary-then-rename output.
#include "clip_output.h"

#include "kit/platform_files.h"

namespace avspack {

bool isTheInput(const std::string& inPath, const std::string& outPath, std::string& error) {
    if (!kit::isSameFile(inPath, outPath)) return false;
    error = outPath + ": is the input file; it would be overwritten";
    return true;
}

bool ClipOutput::create(std::string& error) {
    if (m_file.create(m_path)) return true;
    error = "cannot create " + m_path + ": " + m_file.lastError();
    return false;
}

bool ClipOutput::commit(std::string& error) {
    if (m_file.commit()) return true;
    error = writeError();
    m_file.discard();
    return false;
}

}  // namespace avspack
