// WAV header layout, sample output, and the move of a finished file into place.
#include "pcm_writer.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace g723dec {

namespace {

constexpr size_t wavHeaderSize = 44;
constexpr uint32_t sampleRate = 8000;
constexpr uint64_t maxWavData = 0xFFFFFFFFULL - (wavHeaderSize - 8);
constexpr uint32_t unknownSize = 0xFFFFFFFF;  // what readers take as "up to the end"

void putLe16(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void putLe32(uint8_t* at, uint32_t value)
{
    putLe16(at, value & 0xFFFF);
    putLe16(at + 2, value >> 16);
}

void buildWavHeader(uint8_t* header, uint32_t riffSize, uint32_t dataBytes)
{
    std::memcpy(header, "RIFF", 4);
    putLe32(header + 4, riffSize);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    putLe32(header + 16, 16);              // format record size
    putLe16(header + 20, 1);               // PCM
    putLe16(header + 22, 1);               // mono
    putLe32(header + 24, sampleRate);
    putLe32(header + 28, sampleRate * 2);  // bytes per second
    putLe16(header + 32, 2);               // bytes per sample frame
    putLe16(header + 34, 16);              // bits per sample
    std::memcpy(header + 36, "data", 4);
    putLe32(header + 40, dataBytes);
}

// Devices and pipes are written in place; anything else is replaced at the end.
bool isDeviceOrPipe(const std::string& path)
{
    std::error_code ec;
    std::filesystem::file_status status = std::filesystem::status(path, ec);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
           !std::filesystem::is_directory(status);
}

}  // namespace

PcmWriter::~PcmWriter()
{
    discard();
}

Status PcmWriter::open(const std::string& path, bool wav)
{
    if (path == "-") {
        name_ = "standard output";
        file_ = stdout;
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        return Status{};
    }
    name_ = path_ = path;
    wav_ = wav;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return failure(exitOutputError, path + ": cannot create: is a directory");
    }
    inPlace_ = isDeviceOrPipe(path);
    workPath_ = inPlace_ ? path : path + ".partial";
    file_ = std::fopen(workPath_.c_str(), "wb");
    if (file_ == nullptr) {
        return failure(exitOutputError, path + ": cannot create: " + std::strerror(errno));
    }
    uint8_t header[wavHeaderSize];
    if (inPlace_) {
        buildWavHeader(header, unknownSize, unknownSize);
    } else {
        buildWavHeader(header, wavHeaderSize - 8, 0);
    }
    return wav_ ? writeBytes(header, wavHeaderSize) : Status{};
}

Status PcmWriter::write(const int16_t* samples, size_t count)
{
    uint8_t bytes[4096];
    while (count > 0) {
        size_t take = count < sizeof bytes / 2 ? count : sizeof bytes / 2;
        for (size_t i = 0; i < take; ++i) {
            putLe16(bytes + 2 * i, static_cast<uint16_t>(samples[i]));
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

Status PcmWriter::writeBytes(const uint8_t* bytes, size_t size)
{
    if (wav_ && written_ + size > wavHeaderSize + maxWavData) {
        return failure(exitOutputError, name_ + ": the audio exceeds the 4 GB limit of a WAV file; use --raw");
    }
    if (std::fwrite(bytes, 1, size, file_) != size) {
        return writeFailure();
    }
    written_ += size;
    return Status{};
}

Status PcmWriter::writeFailure()
{
    return failure(exitOutputError, name_ + ": cannot write: " + std::strerror(errno));
}

Status PcmWriter::finish()
{
    if (path_.empty()) {
        return std::fflush(file_) == 0 ? Status{} : writeFailure();
    }
    if (wav_ && !inPlace_) {
        uint8_t header[wavHeaderSize];
        uint32_t dataBytes = static_cast<uint32_t>(written_ - wavHeaderSize);
        buildWavHeader(header, static_cast<uint32_t>(wavHeaderSize - 8) + dataBytes, dataBytes);
        if (std::fseek(file_, 0, SEEK_SET) != 0 || std::fwrite(header, 1, wavHeaderSize, file_) != wavHeaderSize) {
            return writeFailure();
        }
    }
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) {
        return writeFailure();
    }
    if (!inPlace_) {
        std::error_code ec;
        std::filesystem::rename(workPath_, path_, ec);
        if (ec) {
            return failure(exitOutputError, path_ + ": cannot create: " + ec.message());
        }
    }
    workPath_.clear();
    return Status{};
}

void PcmWriter::discard()
{
    if (file_ != nullptr && !path_.empty()) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!inPlace_ && !workPath_.empty()) {
        std::remove(workPath_.c_str());
        workPath_.clear();
    }
}

}  // namespace g723dec
