// ConfigRecord: the device's whole configuration, 72 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

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
inline constexpr std::uint8_t kFiller = 0xFF;
inline constexpr std::uint8_t kRecordVersion = 0x01;
// What the page writes into senseEn and senseAct; any non-zero byte reads as
// "enabled" or "level 1".
inline constexpr std::uint8_t kFlagOn = 0x0F;

// Rows the page edits: messages #00..#14, sensors #1..#15 (index 0..14), of
// the 16 entries each table has. Entry 15 (bytes 16, 32, 48, 64) has no
// control and passes through the page unchanged.
inline constexpr std::size_t kConfigMessages = 15;
inline constexpr std::size_t kConfigSensors = 15;
inline constexpr std::size_t kAdcThresholds = 2;

using ConfigRecord = std::array<std::uint8_t, kConfigRecordSize>;

// The configuration page without widgets: what its controls hold. Texts are
// UTF-8, as typed.
struct ConfigPageModel {
    // One sensor's two level boxes, "-0-" and "-1-". Both may be unticked.
    struct LevelPair {
        bool level0 = false;
        bool level1 = false;
        friend bool operator==(const LevelPair&, const LevelPair&) = default;
    };

    std::array<std::string, kConfigMessages> messSensor1;  // edMess<mm>1
    std::array<std::string, kConfigMessages> messSensor2;  // edMess<mm>2
    std::array<bool, kConfigSensors> senseEn{};            // cbSenseEn<ss>
    std::array<LevelPair, kConfigSensors> senseAct{};      // cbSenseAct<ss>0, cbSenseAct<ss>1
    std::array<std::string, kAdcThresholds> adcThreshold;  // edADC0, edADC1

    friend bool operator==(const ConfigPageModel&, const ConfigPageModel&) = default;
};

// The outcome of PageToConfig: the whole new record, or the first text that is
// not an integer (sensor numbers message by message, first then second, then
// the thresholds).
struct PageConversion {
    bool ok = false;
    ConfigRecord record{};
    std::string badText;  // when !ok: the text as typed
};

// The page's record. Bytes 16, 32, 48 and 64 are taken from `base` (the
// record last read or loaded); every other byte comes from the page or is
// fixed: tag, sensor numbers and thresholds modulo 256, 15/0 flags (a pair
// with "-0-" unticked is level 1, whatever "-1-" shows), FF FF 01, CRC.
// On a conversion error nothing of `base` is to be changed: the caller keeps
// its record as it was.
[[nodiscard]] PageConversion PageToConfig(const ConfigPageModel& page, const ConfigRecord& base);

// What the page shows of `record`: unsigned decimal texts, non-zero flags as
// ticked, exactly one level box of every pair ticked.
[[nodiscard]] ConfigPageModel ConfigToPage(const ConfigRecord& record);

// Stores Crc16 of bytes 0..69 in bytes 70 and 71.
void StoreRecordCrc(ConfigRecord& record);

// The copy that goes to the device: `edited` with byte 69 set to 1 and its CRC
// renewed; `edited` itself stays as it is.
[[nodiscard]] ConfigRecord OutgoingRecord(const ConfigRecord& edited);

}  // namespace talveno::console
