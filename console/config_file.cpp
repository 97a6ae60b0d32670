#include "config_file.h"

#include <algorithm>
#include <fstream>

namespace talveno::console {

ConfigFileBytes EncodeConfigFile(const ConfigRecord& edited, std::string_view dateText) {
    ConfigFileBytes file{};
    std::copy(kFileSignature.begin(), kFileSignature.end(), file.begin() + kSignatureOffset);
    const std::string_view date = dateText.substr(0, kDateTextCapacity);
    std::copy(date.begin(), date.end(), file.begin() + kDateTextOffset);
    file[kFormatMarkOffset] = kFormatMark;

    ConfigRecord record = edited;
    record[kRecordTagOffset] = kRecordTag;
    record[kRecordVersionOffset] = kRecordVersion;
    StoreRecordCrc(record);
    std::copy(record.begin(), record.end(), file.begin() + kFileRecordOffset);
    return file;
}

ConfigFileContent DecodeConfigFile(std::span<const std::uint8_t> bytes) {
    ConfigFileContent content;
    if (bytes.size() < kConfigFileSize) {
        return content;
    }
    if (bytes[kFormatMarkOffset] != kFormatMark ||
        bytes[kSignatureVersionOffset] != kSignatureVersion) {
        content.verdict = ConfigFileVerdict::WrongMarks;
        return content;
    }
    std::copy_n(bytes.begin() + kFileRecordOffset, kConfigRecordSize, content.record.begin());
    content.verdict = ConfigFileVerdict::Accepted;
    return content;
}

ConfigFileRead ReadConfigFile(const std::filesystem::path& path) {
    ConfigFileRead result;
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        return result;
    }
    ConfigFileBytes bytes{};
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file.bad()) {
        return result;  // opened but unreadable (a folder, a failing disk): as not opened
    }
    result.opened = true;
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0));
    result.content = DecodeConfigFile(std::span(bytes).first(got));
    return result;
}

}  // namespace talveno::console
