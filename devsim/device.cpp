#include "device.h"

#include "link_frame.h"

namespace talveno::devsim {

namespace {

Handled Ignored(RequestOutcome outcome, std::string_view reason) {
    Handled h;
    h.outcome = outcome;
    h.reason = reason;
    return h;
}

Handled Answer(std::uint8_t command, std::span<const std::uint8_t> payload = {},
               std::chrono::microseconds workTime = {}) {
    Handled h;
    h.reply = ReplyFrame(command, payload);
    h.workTime = workTime;
    return h;
}

}  // namespace

std::vector<std::uint8_t> ReplyFrame(std::uint8_t command, std::span<const std::uint8_t> payload) {
    link::TxStaging staging;
    // Every reply of this device is far below the frame limit, so building
    // one cannot fail.
    (void)link::SendCommand(staging, command, 0, payload.empty() ? nullptr : payload.data(),
                            static_cast<std::uint16_t>(payload.size()));
    return {staging.txFrame.begin(), staging.txFrame.begin() + staging.txLength};
}

Device::Device(DeviceTiming timing)
    : timing_(timing), config_(DefaultConfigRecord()), inputs_(config_) {}

Handled Device::handle(std::span<const std::uint8_t> frame) {
    const auto info = link::ParseFrame(frame);
    if (!info) {
        return Ignored(RequestOutcome::BadPayload, "shorter than a header");
    }
    if (!info->checksumOk) {
        return Ignored(RequestOutcome::BadChecksum, "checksum does not match");
    }
    switch (info->command) {
        case link::CMD_STATUS:
            return status(info->payload, info->command);
        case link::CMD_CONFIG_READ:
            return Answer(info->command, config_);
        case link::CMD_CONFIG_WRITE:
            return configWrite(info->payload, info->command);
        case link::CMD_FLASH_MODE:
            flashMode_ = !flashMode_;
            return Answer(info->command);
        case link::CMD_REMOTE_MODE:
            remoteMode_ = !remoteMode_;
            return Answer(info->command);
        case link::CMD_SECTOR_ERASE:
            return sectorErase(info->argument, info->command);
        case link::CMD_PAGE_WRITE:
            return pageWrite(info->payload, info->command);
        default:
            return Ignored(RequestOutcome::UnknownCommand, "no such command");
    }
}

Handled Device::status(std::span<const std::uint8_t> payload, std::uint8_t command) {
    if (remoteMode_) {
        // A request without a usable block leaves the inputs as they are.
        const auto levels = DecodeSimulationBlock(payload);
        if (levels) {
            setLevels(*levels);
        }
    }
    const StatusBlock block = status();
    return Answer(command, block);
}

Handled Device::configWrite(std::span<const std::uint8_t> payload, std::uint8_t command) {
    const auto record = DecodeConfigRecord(payload);
    if (!record) {
        return Ignored(RequestOutcome::BadRecord, record.reason());
    }
    setConfig(*record);
    configChanged_ = true;
    return Answer(command);
}

Handled Device::sectorErase(std::uint8_t sector, std::uint8_t command) {
    if (!flashMode_) {
        return Ignored(RequestOutcome::NotInFlashMode, "erase outside flash mode");
    }
    if (!flash_.erase(sector)) {
        return Ignored(RequestOutcome::BadPayload, "no such sector");
    }
    return Answer(command, {}, timing_.sectorErase);
}

Handled Device::pageWrite(std::span<const std::uint8_t> payload, std::uint8_t command) {
    if (!flashMode_) {
        return Ignored(RequestOutcome::NotInFlashMode, "page write outside flash mode");
    }
    const auto write = DecodePagePayload(payload);
    if (!write) {
        return Ignored(RequestOutcome::BadPayload, write.reason());
    }
    (void)flash_.program(*write);  // the decoder admits only pages that exist
    return Answer(command, {}, timing_.pageProgram);
}

void Device::advance(std::chrono::milliseconds elapsed) {
    if (remoteMode_) {
        return;
    }
    setLevels(drift_.advance(inputs_.levels(), elapsed));
}

void Device::setLevels(const InputLevels& levels) {
    const auto started = inputs_.update(levels, config_);
    started_.insert(started_.end(), started.begin(), started.end());
}

std::vector<int> Device::takeStartedMessages() {
    std::vector<int> taken;
    taken.swap(started_);
    return taken;
}

StatusBlock Device::status() const {
    return EncodeStatusBlock(inputs_.report(config_), config_);
}

void Device::setConfig(const ConfigRecord& record) {
    config_ = record;
    inputs_.reconfigure(config_);
}

bool Device::takeConfigChanged() {
    const bool changed = configChanged_;
    configChanged_ = false;
    return changed;
}

}  // namespace talveno::devsim
