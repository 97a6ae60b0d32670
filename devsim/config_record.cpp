#include "config_record.h"

#include <algorithm>

#include "link_frame.h"

namespace talveno::devsim {

namespace {

bool ValidIndex(int index, int count) {
    return index >= 0 && index < count;
}

std::optional<int> InputOfSensorNumber(std::uint8_t number) {
    if (number == 0 || number > kInputCount) {
        return std::nullopt;
    }
    return number - 1;
}

}  // namespace

ConfigRecord DefaultConfigRecord() {
    ConfigRecord record{};
    record[kRecordTagOffset] = kRecordTag;
    for (int m = 0; m < kMessageCount; ++m) {
        record[kFirstSensorOffset + m] = static_cast<std::uint8_t>(m + 1);
        record[kSecondSensorOffset + m] = static_cast<std::uint8_t>(m + 1);
    }
    for (int s = 0; s < kInputCount; ++s) {
        record[kSenseEnableOffset + s] = kFlagSet;
        record[kSenseActiveOffset + s] = kFlagSet;
    }
    record[kAnalogThresholdOffset] = 128;
    record[kAnalogThresholdOffset + 1] = 128;
    record[kTrailerOffset] = 0xFF;
    record[kTrailerOffset + 1] = 0xFF;
    record[kTrailerOffset + 2] = 0x01;
    SealConfigRecord(record);
    return record;
}

void SealConfigRecord(ConfigRecord& record) {
    const std::uint16_t crc = link::Crc16(record.data(), kRecordCrcCoverage);
    record[kRecordCrcOffset] = static_cast<std::uint8_t>(crc & 0xFF);
    record[kRecordCrcOffset + 1] = static_cast<std::uint8_t>(crc >> 8);
}

Decoded<ConfigRecord> DecodeConfigRecord(std::span<const std::uint8_t> payload) {
    if (payload.size() < kConfigRecordSize) {
        return Decoded<ConfigRecord>::failure("record shorter than 72 bytes");
    }
    ConfigRecord record{};
    std::copy_n(payload.begin(), kConfigRecordSize, record.begin());
    const auto carried =
        static_cast<std::uint16_t>(record[kRecordCrcOffset] | (record[kRecordCrcOffset + 1] << 8));
    if (carried != link::Crc16(record.data(), kRecordCrcCoverage)) {
        return Decoded<ConfigRecord>::failure("record checksum does not match");
    }
    return Decoded<ConfigRecord>::success(record);
}

bool InputEnabled(const ConfigRecord& record, int input) {
    return ValidIndex(input, kInputCount) && record[kSenseEnableOffset + input] != 0;
}

std::uint8_t ActiveLevel(const ConfigRecord& record, int input) {
    return ValidIndex(input, kInputCount) && record[kSenseActiveOffset + input] != 0 ? 1 : 0;
}

std::uint8_t AnalogThreshold(const ConfigRecord& record, int channel) {
    return ValidIndex(channel, 2) ? record[kAnalogThresholdOffset + channel] : 0;
}

MessageSensors SensorsOfMessage(const ConfigRecord& record, int message) {
    if (!ValidIndex(message, kMessageCount)) {
        return {};
    }
    return {InputOfSensorNumber(record[kFirstSensorOffset + message]),
            InputOfSensorNumber(record[kSecondSensorOffset + message])};
}

}  // namespace talveno::devsim
