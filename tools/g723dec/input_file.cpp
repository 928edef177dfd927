// Opening inputs: standard input, directories refused, pipes told apart from files.
#include "input_file.h"

#include <filesystem>
#include <system_error>

namespace g723dec {

Status InputFile::open(const std::string& path) {
    if (path == "-") {
        name_ = "standard input";
        file_.useStandardInput();
        return Status{};
    }
    name_ = path;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return failure(exitUnreadable, path + ": cannot read: is a directory");
    }
    if (!file_.openForReading(path)) {
        return failure(exitUnreadable, path + ": cannot open: " + file_.lastError());
    }
    // A pipe given by name (such as a shell's process substitution) cannot
    // seek: it is read like standard input.
    if (!file_.size(size_)) {
        return Status{};
    }
    seekable_ = true;
    if (!file_.seekTo(0)) {
        return failure(exitUnreadable, path + ": cannot read: " + file_.lastError());
    }
    return Status{};
}

}  // namespace g723dec
