// ConfigRecord: the device's whole configuration, 72 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace talveno::console {

inline constexpr std::size_t kConfigRecordSize = 72;
inline constexpr std::size_t kRecordTagOffset = 0;       // 0x77
inline constexpr std::size_t kMessSensor1Offset = 1;     // + m, m = 0..14 (16 entries)
inline constexpr std::size_t kMessSensor2Offset = 17;    // + m
inline constexpr std::size_t kSenseEnOffset = 33;        // + s: 15 enabled, 0 not
inline constexpr std::size_t kSenseActOffset = 49;       // + s: 0 level 0, 15 level 1
inline constexpr std::size_t kAdcThresholdOffset = 65;   // + 0 (sensor 13), + 1 (sensor 14)
inline constexpr std::size_t kFillerOffset = 67;         // 0xFF, 0xFF
inline constexpr std::size_t kRecordVersionOffset = 69;  // 0x01
inline constexpr std::size_t kRecordCrcOffset = 70;      // Crc16 of bytes 0..69, low byte first

inline constexpr std::uint8_t kRecordTag = 0x77;
inline constexpr std::uint8_t kRecordVersion = 0x01;

using ConfigRecord = std::array<std::uint8_t, kConfigRecordSize>;

// Stores Crc16 of bytes 0..69 in bytes 70 and 71.
void StoreRecordCrc(ConfigRecord& record);

// The copy that goes to the device: `edited` with byte 69 set to 1 and its CRC
// renewed; `edited` itself stays as it is.
[[nodiscard]] ConfigRecord OutgoingRecord(const ConfigRecord& edited);

}  // namespace talveno::console
