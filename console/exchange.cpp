#include "exchange.h"

#include <algorithm>
#include <cstdio>

namespace talveno::console {

std::string IoCountText(std::int32_t count) {
    char text[32];
    std::snprintf(text, sizeof text, " I/O count: %06ld ", static_cast<long>(count));
    return text;
}

void Exchange::ExchangeScheduler(link::TxStaging& staging) {
    auto& f = state_.flags;
    if (state_.statusCountdown > 0) {
        --state_.statusCountdown;
    }

    // The request carries no target state and each reply inverts
    // remoteActive, so it goes again every pass until the two agree; nothing
    // else is asked meanwhile.
    const bool pressed = view_.grandPressed();
    if (pressed != (f.remoteActive != 0)) {
        (void)link::SendCommand(staging, link::CMD_REMOTE_MODE, 0, nullptr, 0);
        return;
    }

    // The payloads below are far within a frame; SendCommand cannot refuse them.
    if (f.onStatusPage != 0 && state_.statusCountdown == 0) {
        state_.statusCountdown = kStatusPollPasses;
        const SimulationBlock block = BuildSimulationBlock(state_.sim);
        (void)link::SendCommand(staging, link::CMD_STATUS, 0, block.data(), block.size());
    }

    if (f.onLoadPage != 0) {
        if (f.erasePending != 0) {
            f.erasePending = 0;
            (void)link::SendCommand(staging, link::CMD_SECTOR_ERASE, state_.sectorNo, nullptr, 0);
        }
        if (f.pageWritePending != 0) {
            f.pageWritePending = 0;
            (void)link::SendCommand(staging, link::CMD_PAGE_WRITE, 0, state_.pagePayload.data(),
                                    state_.pagePayload.size());
        }
        if (f.flashModePending != 0) {
            f.flashModePending = 0;
            (void)link::SendCommand(staging, link::CMD_FLASH_MODE, 0, nullptr, 0);
        }
    }

    if (f.onConfigPage != 0) {
        if (f.configReadPending != 0) {
            f.configReadDone = 0;
            f.configReadPending = 0;
            (void)link::SendCommand(staging, link::CMD_CONFIG_READ, 0, nullptr, 0);
        }
        if (f.configWritePending != 0) {
            f.configWriteAcked = 0;
            f.configWritePending = 0;
            state_.configOutgoing = OutgoingRecord(state_.configEdited);
            (void)link::SendCommand(staging, link::CMD_CONFIG_WRITE, 0,
                                    state_.configOutgoing.data(), state_.configOutgoing.size());
        }
    }
}

void Exchange::ReplyDispatcher(std::span<const std::uint8_t> frame) {
    const auto info = link::ParseFrame(frame);
    if (!info) {
        return;  // the assembler never delivers less than a header
    }
    auto& f = state_.flags;
    bool counted = true;
    switch (info->command) {
        case link::CMD_STATUS:
            // A short reply would show stale bytes: it is counted, not shown.
            if (info->payload.size() >= kStatusBlockSize) {
                std::copy_n(info->payload.begin(), kStatusBlockSize, state_.statusBlock.begin());
                view_.RefreshStatusPage();
            }
            break;
        case 0x00:
            break;
        case link::CMD_REMOTE_MODE:
            f.remoteActive = f.remoteActive != 0 ? 0 : 1;
            view_.showRemoteActive(f.remoteActive != 0);
            break;
        case link::CMD_FLASH_MODE:
            f.flashModeAcked = 1;
            counted = false;
            break;
        case link::CMD_SECTOR_ERASE:
            f.eraseAcked = 1;
            break;
        case link::CMD_PAGE_WRITE:
            f.pageWriteAcked = 1;
            break;
        case link::CMD_CONFIG_READ:
            // A short record is not taken: the waiting handler then reports
            // that the device did not answer, and never shows half a record.
            if (info->payload.size() >= kConfigRecordSize) {
                f.configReadDone = 1;
                std::copy_n(info->payload.begin(), kConfigRecordSize,
                            state_.configIncoming.begin());
            }
            break;
        case link::CMD_CONFIG_WRITE:
            f.configWriteAcked = 1;
            break;
        default:
            counted = false;
            break;
    }
    if (counted) {
        // Unsigned step: the count wraps instead of overflowing after 2^31 replies.
        state_.ioCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(state_.ioCount) + 1U);
    }
    view_.SetStatusText(kIoCountPanel, IoCountText(state_.ioCount));
}

}  // namespace talveno::console
