#include "request_log.h"

#include <cstdio>

#include "link_frame.h"

namespace talveno::devsim {

namespace {

std::string Hex(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

std::string Stamp(std::chrono::duration<double> sinceStart) {
    char text[32];
    std::snprintf(text, sizeof text, "%9.3f", sinceStart.count());
    return text;
}

}  // namespace

std::string CommandName(std::uint8_t command) {
    switch (command) {
        case link::CMD_STATUS:
            return "status";
        case link::CMD_PAGE_WRITE:
            return "page write";
        case link::CMD_CONFIG_WRITE:
            return "config write";
        case link::CMD_CONFIG_READ:
            return "config read";
        case link::CMD_FLASH_MODE:
            return "flash mode";
        case link::CMD_REMOTE_MODE:
            return "remote mode";
        case link::CMD_SECTOR_ERASE:
            return "sector erase";
        default:
            return Hex(command);
    }
}

std::string RequestLine(std::chrono::duration<double> sinceStart, std::uint8_t command,
                        std::uint8_t argument, std::size_t frameSize) {
    return Stamp(sinceStart) + " <- " + Hex(command) + " " + CommandName(command) + ", arg " +
           std::to_string(argument) + ", " + std::to_string(frameSize) + " bytes";
}

std::string ReplyLine(std::chrono::duration<double> sinceStart, std::uint8_t command,
                      std::size_t frameSize, RequestOutcome outcome, std::string_view reason) {
    std::string line = Stamp(sinceStart) + " -> " + Hex(command) + " " + CommandName(command) +
                       ", " + std::to_string(frameSize) + " bytes, " +
                       std::string(OutcomeName(outcome));
    if (!reason.empty()) {
        line += " (" + std::string(reason) + ")";
    }
    return line;
}

}  // namespace talveno::devsim
