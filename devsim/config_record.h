// The device's configuration: one 72-byte record, kept whole as it came over
// the line, and read field by field where the device needs a setting.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "decoded.h"

namespace talveno::devsim {

inline constexpr std::size_t kConfigRecordSize = 72;
using ConfigRecord = std::array<std::uint8_t, kConfigRecordSize>;

inline constexpr std::size_t kRecordTagOffset = 0;
inline constexpr std::size_t kFirstSensorOffset = 1;       // + message, 15 used of 16
inline constexpr std::size_t kSecondSensorOffset = 17;     // + message
inline constexpr std::size_t kSenseEnableOffset = 33;      // + input
inline constexpr std::size_t kSenseActiveOffset = 49;      // + input
inline constexpr std::size_t kAnalogThresholdOffset = 65;  // + analog channel (0, 1)
inline constexpr std::size_t kTrailerOffset = 67;          // 0xFF, 0xFF, 0x01
inline constexpr std::size_t kRecordCrcOffset = 70;        // Crc16 of bytes 0..69, low first
inline constexpr std::size_t kRecordCrcCoverage = kRecordCrcOffset;

inline constexpr std::uint8_t kRecordTag = 0x77;
inline constexpr std::uint8_t kFlagSet = 0x0F;  // how the console writes "yes" and "level 1"

inline constexpr int kMessageCount = 15;
inline constexpr int kInputCount = 15;

// What the device holds before anything was ever written to it: every input
// enabled and active at level 1, message m sounding on input m alone (both
// sensor numbers m + 1), both analog thresholds at 128, a valid checksum.
[[nodiscard]] ConfigRecord DefaultConfigRecord();

// Stores Crc16 of bytes 0..69 in bytes 70..71.
void SealConfigRecord(ConfigRecord& record);

// Takes the first 72 bytes of `payload` as a record. Fails when fewer bytes
// came or the record's own checksum does not match; nothing else is checked.
// Never reads past `payload`.
[[nodiscard]] Decoded<ConfigRecord> DecodeConfigRecord(std::span<const std::uint8_t> payload);

// Settings read from a record. `input` is 0..14, `message` 0..14, `channel` 0..1;
// other values give "disabled", level 0, threshold 0 and no sensor.
[[nodiscard]] bool InputEnabled(const ConfigRecord& record, int input);
[[nodiscard]] std::uint8_t ActiveLevel(const ConfigRecord& record, int input);  // 0 or 1
[[nodiscard]] std::uint8_t AnalogThreshold(const ConfigRecord& record, int channel);

// The two inputs whose joint activity plays a message. Sensor numbers are
// 1-based on the console's page (sensor #1 is input 0); 0 or a number above
// 15 names no input, and such a message never plays.
struct MessageSensors {
    std::optional<int> first;
    std::optional<int> second;
};
[[nodiscard]] MessageSensors SensorsOfMessage(const ConfigRecord& record, int message);

}  // namespace talveno::devsim
