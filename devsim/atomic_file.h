// Writing a file so that it is never seen half-written: the bytes go to a
// temporary file beside it, reach the disk, and then replace the file in one
// rename. A crash leaves either the old file or the new one (and possibly a
// stale temporary, which the next write replaces).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace talveno::devsim {

// Empty on success, else the system's reason.
[[nodiscard]] std::string WriteFileAtomically(const std::filesystem::path& path,
                                              std::span<const std::uint8_t> bytes);

}  // namespace talveno::devsim
