#include "wav_export.h"

#include <algorithm>

#include "atomic_file.h"
#include "flash_memory.h"
#include "state_store.h"

namespace talveno::devsim {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<std::uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[at + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
}

void PutId(std::vector<std::uint8_t>& out, std::size_t at, const char (&id)[5]) {
    std::copy_n(id, 4, out.begin() + static_cast<std::ptrdiff_t>(at));
}

}  // namespace

std::vector<std::uint8_t> StoredSamples(std::span<const std::uint8_t> sectorImage) {
    std::size_t length = sectorImage.size();
    while (length > 0 && (sectorImage[length - 1] == 0xFF || sectorImage[length - 1] == 0x00)) {
        --length;
    }
    length += length % 2;  // a whole last sample; an odd image cannot go past its end here
    length = std::min(length, sectorImage.size() - sectorImage.size() % 2);
    std::vector<std::uint8_t> samples(length);
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        samples[i] = sectorImage[i + 1];
        samples[i + 1] = sectorImage[i];
    }
    return samples;
}

std::vector<std::uint8_t> MessageWav(std::span<const std::uint8_t> samples) {
    const auto dataSize = static_cast<std::uint32_t>(samples.size());
    constexpr std::uint16_t kBlockAlign = kBitsPerSample / 8;
    std::vector<std::uint8_t> wav(kWavHeaderSize + samples.size());
    PutId(wav, kRiffIdOffset, "RIFF");
    Put32(wav, kRiffSizeOffset, 36 + dataSize);
    PutId(wav, kWaveIdOffset, "WAVE");
    PutId(wav, kFmtIdOffset, "fmt ");
    Put32(wav, kFmtSizeOffset, 16);
    Put16(wav, kAudioFormatOffset, 1);  // PCM
    Put16(wav, kChannelsOffset, 1);
    Put32(wav, kSampleRateOffset, kSampleRate);
    Put32(wav, kByteRateOffset, kSampleRate * kBlockAlign);
    Put16(wav, kBlockAlignOffset, kBlockAlign);
    Put16(wav, kBitsPerSampleOffset, kBitsPerSample);
    PutId(wav, kDataIdOffset, "data");
    Put32(wav, kDataSizeOffset, dataSize);
    std::copy(samples.begin(), samples.end(), wav.begin() + kWavHeaderSize);
    return wav;
}

std::string ExportMessageWav(const std::filesystem::path& stateFolder, int message,
                             const std::filesystem::path& file) {
    if (message < 0 || message >= kSectorCount) {
        return "no message " + std::to_string(message) + " (0..14)";
    }
    const StateStore store(stateFolder);
    std::vector<std::uint8_t> image(kSectorSize, kErasedByte);
    if (std::filesystem::exists(store.sectorFile(message))) {
        auto kept = store.loadSector(message);
        if (!kept) {
            return store.sectorFile(message).string() + " is not a 65536-byte sector";
        }
        image = std::move(*kept);
    }
    return WriteFileAtomically(file, MessageWav(StoredSamples(image)));
}

}  // namespace talveno::devsim
