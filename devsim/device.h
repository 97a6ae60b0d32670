// The simulated annunciator itself, without any I/O: it takes one complete
// request frame and says what it answers, and it lets time pass for the
// inputs that change on their own. Not thread-safe; whoever shares it locks.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "config_record.h"
#include "flash_memory.h"
#include "input_bank.h"
#include "input_drift.h"
#include "request_outcome.h"

namespace talveno::devsim {

// How long the device works on a request before it answers.
struct DeviceTiming {
    std::chrono::microseconds pageProgram{1000};
    std::chrono::microseconds sectorErase{300'000};
};

struct Handled {
    RequestOutcome outcome = RequestOutcome::Answered;
    std::string_view reason;          // why a request was ignored; empty when answered
    std::vector<std::uint8_t> reply;  // the whole reply frame; empty when none
    std::chrono::microseconds workTime{0};
};

class Device {
public:
    explicit Device(DeviceTiming timing = {});

    // Acts on one complete frame (header from byte 0, as the assembler gives
    // it). Never reads past `frame`.
    [[nodiscard]] Handled handle(std::span<const std::uint8_t> frame);

    // Lets time pass: outside remote mode the inputs drift.
    void advance(std::chrono::milliseconds elapsed);

    // Messages started since the last call, in order.
    [[nodiscard]] std::vector<int> takeStartedMessages();

    [[nodiscard]] bool flashMode() const { return flashMode_; }
    [[nodiscard]] bool remoteMode() const { return remoteMode_; }
    [[nodiscard]] const ConfigRecord& config() const { return config_; }
    [[nodiscard]] const FlashMemory& flash() const { return flash_; }
    [[nodiscard]] const InputBank& inputs() const { return inputs_; }
    [[nodiscard]] StatusBlock status() const;

    // For restoring saved state and for tests.
    void setConfig(const ConfigRecord& record);
    [[nodiscard]] FlashMemory& flash() { return flash_; }
    void setTiming(const DeviceTiming& timing) { timing_ = timing; }

    // True once after the configuration changed, for saving.
    [[nodiscard]] bool takeConfigChanged();

private:
    [[nodiscard]] Handled status(std::span<const std::uint8_t> payload, std::uint8_t command);
    [[nodiscard]] Handled pageWrite(std::span<const std::uint8_t> payload, std::uint8_t command);
    [[nodiscard]] Handled configWrite(std::span<const std::uint8_t> payload, std::uint8_t command);
    [[nodiscard]] Handled sectorErase(std::uint8_t sector, std::uint8_t command);
    void setLevels(const InputLevels& levels);

    DeviceTiming timing_;
    ConfigRecord config_;
    FlashMemory flash_;
    InputBank inputs_;
    InputDrift drift_;
    std::vector<int> started_;
    bool flashMode_ = false;
    bool remoteMode_ = false;
    bool configChanged_ = false;
};

// The frame the device answers with: the request's command code, argument 0,
// and `payload` with its checksum (header only when `payload` is empty).
[[nodiscard]] std::vector<std::uint8_t> ReplyFrame(std::uint8_t command,
                                                   std::span<const std::uint8_t> payload = {});

}  // namespace talveno::devsim
