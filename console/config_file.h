// Configuration files ("klc"): a 128-byte header, then one ConfigRecord,
// 200 bytes in all.
//
// Header: the signature text at 0..60 with its 0x00 terminator at 61, zero at
// 62..63, the save date as text from 64 with a 0x00 terminator (at most 62
// characters, so the terminator lands at 126 at the latest), zero up to 126,
// and 'M' at 127. A loader looks at two bytes only: 127 ('M') and 59, the
// version digit of the signature ('1'). Files of other programs that set those
// two bytes load whatever else they hold.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

#include "config_record.h"

namespace talveno::console {

inline constexpr std::size_t kConfigFileSize = 200;
inline constexpr std::size_t kConfigHeaderSize = 128;
inline constexpr std::size_t kSignatureOffset = 0;          // text, 0x00 at 61
inline constexpr std::size_t kSignatureVersionOffset = 59;  // '1'
inline constexpr std::size_t kDateTextOffset = 64;          // text, 0x00 behind it
inline constexpr std::size_t kDateTextCapacity = 62;        // characters, terminator not counted
inline constexpr std::size_t kFormatMarkOffset = 127;       // 'M'
inline constexpr std::size_t kFileRecordOffset = 128;       // the ConfigRecord

inline constexpr std::string_view kFileSignature =
    "TALVENO voice annunciator configuration file      (format v1)";
inline constexpr std::uint8_t kSignatureVersion = '1';
inline constexpr std::uint8_t kFormatMark = 'M';

static_assert(kFileSignature.size() == 61);
static_assert(kFileSignature[kSignatureVersionOffset] == kSignatureVersion);
static_assert(kFileRecordOffset + kConfigRecordSize == kConfigFileSize);

using ConfigFileBytes = std::array<std::uint8_t, kConfigFileSize>;

// The whole file for `edited`: the record as saved is `edited` with tag 0x77,
// byte 69 = 1 and its CRC renewed. `dateText` is cut to 62 bytes.
[[nodiscard]] ConfigFileBytes EncodeConfigFile(const ConfigRecord& edited,
                                               std::string_view dateText);

enum class ConfigFileVerdict {
    Accepted,
    TooShort,    // fewer than 200 bytes: refused rather than half loaded
    WrongMarks,  // byte 127 is not 'M' or byte 59 is not '1'
};

struct ConfigFileContent {
    ConfigFileVerdict verdict = ConfigFileVerdict::TooShort;
    ConfigRecord record{};  // file bytes 128..199 when Accepted, else zero
};

// Judges the first 200 bytes of a file; bytes past them are not looked at.
// Never reads past `bytes`. The record is taken as it stands: its tag,
// bytes 67..69 and CRC are not checked.
[[nodiscard]] ConfigFileContent DecodeConfigFile(std::span<const std::uint8_t> bytes);

struct ConfigFileRead {
    bool opened = false;
    ConfigFileContent content;
};

// Opens the file and decodes at most its first 200 bytes.
[[nodiscard]] ConfigFileRead ReadConfigFile(const std::filesystem::path& path);

}  // namespace talveno::console
