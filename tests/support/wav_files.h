// Writes WAV files for tests: a canonical 44-byte header with the fields the
// console judges, then the data.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace testing_support {

struct WavFields {
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 8000;
    std::uint16_t bitsPerSample = 16;
    // The data size written into the header; the data's own size unless set.
    std::int64_t dataSize = -1;
};

inline std::vector<std::uint8_t> WavBytes(const std::vector<std::uint8_t>& data, WavFields f = {}) {
    const auto size = static_cast<std::uint32_t>(f.dataSize >= 0 ? f.dataSize : data.size());
    std::vector<std::uint8_t> b = {'R', 'I', 'F', 'F', 0,   0,  0, 0, 'W', 'A', 'V',
                                   'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,   1,   0};
    const auto put16 = [&](std::uint32_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    const auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    put16(f.channels);
    put32(f.sampleRate);
    put32(f.sampleRate * f.channels * f.bitsPerSample / 8);
    put16(static_cast<std::uint32_t>(f.channels * f.bitsPerSample / 8));
    put16(f.bitsPerSample);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put32(size);
    const std::uint32_t riff = static_cast<std::uint32_t>(36 + data.size());
    for (int i = 0; i < 4; ++i) {
        b[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
    }
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> Ramp(std::size_t n, std::uint8_t seed = 1) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) {
        v[i] = static_cast<std::uint8_t>(seed + i * 13 + (i >> 8));
    }
    return v;
}

}  // namespace testing_support
