#include "config_record.h"

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

}  // namespace talveno::console
