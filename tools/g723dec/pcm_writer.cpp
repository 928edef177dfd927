// WAV header layout and sample output.
#include "pcm_writer.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace g723dec {

namespace {

constexpr size_t wavHeaderSize = 44;
constexpr uint32_t sampleRate = 8000;
constexpr uint64_t maxWavData = 0xFFFFFFFFULL - (wavHeaderSize - 8);

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

void buildWavHeader(uint8_t* header, uint32_t dataBytes)
{
    std::memcpy(header, "RIFF", 4);
    putLe32(header + 4, static_cast<uint32_t>(wavHeaderSize - 8) + dataBytes);
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
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        return failure(exitOutputError, path + ": cannot create: " + std::strerror(errno));
    }
    ownsFile_ = true;
    uint8_t header[wavHeaderSize];
    buildWavHeader(header, 0);
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
    if (wav_) {
        uint8_t header[wavHeaderSize];
        buildWavHeader(header, static_cast<uint32_t>(written_ - wavHeaderSize));
        if (std::fseek(file_, 0, SEEK_SET) != 0 || std::fwrite(header, 1, wavHeaderSize, file_) != wavHeaderSize) {
            return writeFailure();
        }
    }
    if (!ownsFile_) {
        return std::fflush(file_) == 0 ? Status{} : writeFailure();
    }
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) {
        return writeFailure();
    }
    ownsFile_ = false;
    return Status{};
}

void PcmWriter::discard()
{
    if (!ownsFile_) {
        return;
    }
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    std::remove(path_.c_str());
    ownsFile_ = false;
}

}  // namespace g723dec
