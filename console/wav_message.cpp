#include "wav_message.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace talveno::console {

namespace {

std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// Reads up to `count` bytes from `at`; fewer when the file ends first.
std::vector<std::uint8_t> ReadSome(std::ifstream& file, std::size_t at, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    file.clear();
    file.seekg(static_cast<std::streamoff>(at));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(file.good() || file.eof() ? static_cast<std::size_t>(file.gcount()) : 0);
    return bytes;
}

MessageFile Judge(std::ifstream& file) {
    MessageFile result;
    result.opened = true;
    const auto head = ReadSome(file, 0, kWavHeaderSize);
    result.verdict = ReadWavHeader(head, result.header);
    if (result.verdict == WavVerdict::Accepted) {
        result.verdict = JudgeWavHeader(result.header);
    }
    return result;
}

}  // namespace

WavVerdict ReadWavHeader(std::span<const std::uint8_t> bytes, WavHeader& header) {
    if (bytes.size() < kWavHeaderSize) {
        return WavVerdict::TooShort;
    }
    header.channels = Le16(bytes, kWavChannelsOffset);
    header.sampleRate = Le32(bytes, kWavSampleRateOffset);
    header.bitsPerSample = Le16(bytes, kWavBitsPerSampleOffset);
    header.dataSize = Le32(bytes, kWavDataSizeOffset);
    return WavVerdict::Accepted;
}

WavVerdict JudgeWavHeader(const WavHeader& header) {
    if (header.channels != 1) {
        return WavVerdict::NotMono;
    }
    if (header.dataSize > kMaxMessageBytes) {
        return WavVerdict::TooLong;
    }
    if (header.bitsPerSample != 16) {
        return WavVerdict::NotSixteenBit;
    }
    if (header.sampleRate != 8000) {
        return WavVerdict::NotEightKilohertz;
    }
    return WavVerdict::Accepted;
}

std::unique_ptr<SectorImage> BuildSectorImage(std::span<const std::uint8_t> raw) {
    auto image = std::make_unique<SectorImage>();
    image->fill(0);
    const std::size_t n = std::min(raw.size(), kSectorSize);
    for (std::size_t i = 0; i < n; ++i) {
        // Raw byte i goes to the other byte of its pair.
        (*image)[i ^ 1U] = raw[i];
    }
    return image;
}

PagePayload BuildPagePayload(const SectorImage& image, std::uint8_t sector, std::uint8_t page) {
    PagePayload payload{};
    const std::size_t from = static_cast<std::size_t>(page) * kPageDataSize;
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(from), kPageDataSize, payload.begin());
    payload[kPageSectorOffset] = sector;
    payload[kPageNumberOffset] = page;
    return payload;
}

MessageFile JudgeMessageFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        return {};
    }
    return Judge(file);
}

MessageFile ReadMessageFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        return {};
    }
    MessageFile result = Judge(file);
    if (result.verdict != WavVerdict::Accepted) {
        return result;
    }
    // The header passed, so the data size is within the sector.
    const std::size_t want = std::min<std::size_t>(result.header.dataSize, kSectorSize);
    const auto raw = ReadSome(file, kWavDataOffset, want);
    result.image = BuildSectorImage(raw);
    return result;
}

}  // namespace talveno::console
