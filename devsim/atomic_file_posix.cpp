#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "atomic_file.h"

namespace talveno::devsim {

namespace {

std::string Failure(const char* step) {
    return std::string(step) + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string WriteFileAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes) {
    const std::filesystem::path temporary = path.string() + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return Failure("create");
    }
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
        std::string reason = Failure("write");
        ::close(fd);
        ::unlink(temporary.c_str());
        return reason;
    }
    ::close(fd);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        std::string reason = Failure("rename");
        ::unlink(temporary.c_str());
        return reason;
    }
    // The rename itself lives in the folder; make it durable too.
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return {};
}

}  // namespace talveno::devsim
