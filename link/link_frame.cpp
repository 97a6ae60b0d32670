#include "link_frame.h"

#include <algorithm>

namespace talveno::link {

std::uint16_t Crc16(const std::uint8_t* data, std::uint16_t count) {
    std::uint16_t crc = 0;
    for (std::uint16_t i = 0; i < count; ++i) {
        std::uint8_t byte = data[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ byte) & 1U) != 0;
            crc = static_cast<std::uint16_t>(crc >> 1);
            if (mix) {
                crc ^= 0x8408;
            }
            byte = static_cast<std::uint8_t>(byte >> 1);
        }
    }
    return crc;
}

std::uint16_t Crc16(std::span<const std::uint8_t> data) {
    // Frames and records are far below 64 KiB; a longer run is cut, never read past.
    const auto count = static_cast<std::uint16_t>(std::min<std::size_t>(data.size(), 0xFFFF));
    return Crc16(data.data(), count);
}

bool SendCommand(TxStaging& staging, std::uint8_t command, std::uint8_t argument,
                 const std::uint8_t* payload, std::uint16_t length) {
    if (length > kMaxPayload || (length != 0 && payload == nullptr)) {
        return false;
    }
    auto& f = staging.txFrame;
    f[kStartOffset] = kStartByte;
    f[kSignature1Offset] = kSignature1;
    f[kSignature2Offset] = kSignature2;
    f[kCommandOffset] = command;
    f[kLengthLowOffset] = 0;
    f[kLengthHighOffset] = 0;
    f[kArgumentOffset] = argument;
    f[kHeaderEndOffset] = kHeaderEnd;
    if (length != 0) {
        std::copy_n(payload, length, f.begin() + kPayloadOffset);
        const std::uint16_t crc = Crc16(f.data() + kPayloadOffset, length);
        f[kPayloadOffset + length] = static_cast<std::uint8_t>(crc & 0xFF);
        f[kPayloadOffset + length + 1] = static_cast<std::uint8_t>(crc >> 8);
        const auto field = static_cast<std::uint16_t>(length + kCrcSize);
        f[kLengthLowOffset] = static_cast<std::uint8_t>(field & 0xFF);
        f[kLengthHighOffset] = static_cast<std::uint8_t>(field >> 8);
        staging.txLength = static_cast<std::uint16_t>(length + kHeaderSize + kCrcSize);
    } else {
        staging.txLength = static_cast<std::uint16_t>(kHeaderSize);
    }
    staging.txPending = 1;
    return true;
}

std::optional<FrameInfo> ParseFrame(std::span<const std::uint8_t> frame) {
    if (frame.size() < kHeaderSize) {
        return std::nullopt;
    }
    FrameInfo info;
    info.command = frame[kCommandOffset];
    info.argument = frame[kArgumentOffset];
    info.lengthField =
        static_cast<std::uint16_t>(frame[kLengthLowOffset] | (frame[kLengthHighOffset] << 8));
    if (info.lengthField == 0) {
        info.checksumOk = true;
        return info;
    }
    const std::size_t available = frame.size() - kPayloadOffset;
    const std::size_t announced = info.lengthField >= kCrcSize ? info.lengthField - kCrcSize : 0;
    const std::size_t present = std::min(announced, available);
    info.payload = frame.subspan(kPayloadOffset, present);
    const std::size_t crcAt = kPayloadOffset + announced;
    if (info.lengthField >= kCrcSize && crcAt + kCrcSize <= frame.size()) {
        const auto carried = static_cast<std::uint16_t>(frame[crcAt] | (frame[crcAt + 1] << 8));
        info.checksumOk = carried == Crc16(info.payload);
    }
    return info;
}

}  // namespace talveno::link
