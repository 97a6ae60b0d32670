#include "config_record.h"

#include <optional>
#include <string>

#include "int_text.h"
#include "link_frame.h"

namespace talveno::console {

void StoreRecordCrc(ConfigRecord& record) {
    const std::uint16_t crc = link::Crc16(record.data(), kRecordCrcOffset);
    record[kRecordCrcOffset] = static_cast<std::uint8_t>(crc & 0xFF);
    record[kRecordCrcOffset + 1] = static_cast<std::uint8_t>(crc >> 8);
}

ConfigRecord OutgoingRecord(const ConfigRecord& edited) {
    ConfigRecord out = edited;
    out[kRecordVersionOffset] = kRecordVersion;
    StoreRecordCrc(out);
    return out;
}

namespace {

// The low byte of a typed integer: -1 is 255, 300 is 44.
std::optional<std::uint8_t> LowByte(const std::string& text) {
    const auto value = IntegerValue(text);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(*value) & 0xFFU);
}

}  // namespace

PageConversion PageToConfig(const ConfigPageModel& page, const ConfigRecord& base) {
    PageConversion result;
    ConfigRecord& record = result.record;
    record = base;
    // Stores the low byte of `text` at `at`, or notes the text that failed.
    const auto store = [&result](const std::string& text, std::size_t at) {
        const auto value = LowByte(text);
        if (!value) {
            result.badText = text;
            return false;
        }
        result.record[at] = *value;
        return true;
    };

    record[kRecordTagOffset] = kRecordTag;
    for (std::size_t m = 0; m < kConfigMessages; ++m) {
        if (!store(page.messSensor1[m], kMessSensor1Offset + m) ||
            !store(page.messSensor2[m], kMessSensor2Offset + m)) {
            return result;
        }
    }
    for (std::size_t s = 0; s < kConfigSensors; ++s) {
        record[kSenseEnOffset + s] = page.senseEn[s] ? kFlagOn : 0;
        // Only "-0-" is read: a pair with neither box ticked is level 1.
        record[kSenseActOffset + s] = page.senseAct[s].level0 ? 0 : kFlagOn;
    }
    for (std::size_t i = 0; i < kAdcThresholds; ++i) {
        if (!store(page.adcThreshold[i], kAdcThresholdOffset + i)) {
            return result;
        }
    }
    record[kFillerOffset] = kFiller;
    record[kFillerOffset + 1] = kFiller;
    record[kRecordVersionOffset] = kRecordVersion;
    StoreRecordCrc(record);
    result.ok = true;
    return result;
}

ConfigPageModel ConfigToPage(const ConfigRecord& record) {
    ConfigPageModel page;
    for (std::size_t m = 0; m < kConfigMessages; ++m) {
        page.messSensor1[m] = std::to_string(record[kMessSensor1Offset + m]);
        page.messSensor2[m] = std::to_string(record[kMessSensor2Offset + m]);
    }
    for (std::size_t s = 0; s < kConfigSensors; ++s) {
        page.senseEn[s] = record[kSenseEnOffset + s] != 0;
        const bool levelOne = record[kSenseActOffset + s] != 0;
        page.senseAct[s] = {!levelOne, levelOne};
    }
    for (std::size_t i = 0; i < kAdcThresholds; ++i) {
        page.adcThreshold[i] = std::to_string(record[kAdcThresholdOffset + i]);
    }
    return page;
}

}  // namespace talveno::console
