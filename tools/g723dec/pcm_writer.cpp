// Sample output after a WAV header (kit::buildPcmWavHeader) through a
// temporary-then-rename file (kit::OutputFile).
#include "pcm_writer.h"

#include <filesystem>
#include <system_error>

#include "bytes.h"
#include "kit/wav.h"

namespace g723dec {

namespace {

constexpr size_t wavHeaderSize = kit::kWavHeaderSize;
constexpr uint32_t sampleRate = 8000;
constexpr uint64_t maxWavData = 0xFFFFFFFFULL - (wavHeaderSize - 8);

// Devices and pipes are written in place; anything else is replaced at the end.
bool isDeviceOrPipe(const std::string& path) {
    std::error_code ec;
    std::filesystem::file_status status = std::filesystem::status(path, ec);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
           !std::filesystem::is_directory(status);
}

}  // namespace

Status PcmWriter::open(const std::string& path, bool wav) {
    if (path == "-") {
        name_ = "standard output";
        file_.useStandardOutput();
        return Status{};
    }
    name_ = path_ = path;
    wav_ = wav;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return failure(exitOutputError, path + ": cannot create: is a directory");
    }
    inPlace_ = isDeviceOrPipe(path);
    if (!(inPlace_ ? file_.openInPlace(path) : file_.create(path))) {
        return failure(exitOutputError, path + ": cannot create: " + file_.lastError());
    }
    uint8_t header[wavHeaderSize];
    if (inPlace_) {
        kit::buildPcmWavHeader(header, sampleRate, kit::kWavUnknownSize, kit::kWavUnknownSize);
    } else {
        kit::buildPcmWavHeader(header, sampleRate, wavHeaderSize - 8, 0);
    }
    return wav_ ? writeBytes(header, wavHeaderSize) : Status{};
}

Status PcmWriter::write(const int16_t* samples, size_t count) {
    uint8_t bytes[4096];
    while (count > 0) {
        size_t take = count < sizeof bytes / 2 ? count : sizeof bytes / 2;
        for (size_t i = 0; i < take; ++i) {
            kit::putLe16(bytes + 2 * i, static_cast<uint16_t>(samples[i]));
        }
        Status status = writeBytes(bytes, 2 * take);
        if (!status.ok()) {
            return status;
        }
        samples += take;
        count -= take;
    }
    return Status{};
}

Status PcmWriter::writeBytes(const uint8_t* bytes, size_t size) {
    if (wav_ && written_ + size > wavHeaderSize + maxWavData) {
        return failure(exitOutputError, name_ + ": the audio exceeds the 4 GB limit of a WAV file; use --raw");
    }
    if (!file_.write(bytes, size)) {
        return writeFailure();
    }
    written_ += size;
    return Status{};
}

Status PcmWriter::writeFailure() { return failure(exitOutputError, name_ + ": cannot write: " + file_.lastError()); }

Status PcmWriter::finish() {
    if (wav_ && !inPlace_) {
        uint8_t header[wavHeaderSize];
        uint32_t dataBytes = static_cast<uint32_t>(written_ - wavHeaderSize);
        kit::buildPcmWavHeader(header, sampleRate, static_cast<uint32_t>(wavHeaderSize - 8) + dataBytes, dataBytes);
        if (!file_.seekTo(0) || !file_.write(header, wavHeaderSize)) {
            return writeFailure();
        }
    }
    if (!file_.close()) {
        return writeFailure();
    }
    if (!file_.moveIntoPlace()) {
        return failure(exitOutputError, path_ + ": cannot create: " + file_.lastError());
    }
    return Status{};
}

void PcmWriter::discard() { file_.discard(); }

}  // namespace g723dec
