// ExchangeScheduler and ReplyDispatcher: the only meeting point of the user
// interface and the device protocol. The link worker calls them on the main
// thread, once per exchange cycle and once per received frame.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "exchange_state.h"
#include "link_frame.h"

namespace talveno::console {

// The few things of the window the exchange reads and writes.
class ExchangeView {
public:
    virtual ~ExchangeView() = default;
    // The operator's remote control request: btGrand pressed.
    [[nodiscard]] virtual bool grandPressed() const = 0;
    // shapeGrand: lime while the device confirms remote control, silver once not.
    virtual void showRemoteActive(bool active) = 0;
    // Shows the StatusBlock just stored.
    virtual void RefreshStatusPage() = 0;
    // Text into one of the four status bar panels (UTF-8).
    virtual void SetStatusText(int panel, const std::string& text) = 0;
};

inline constexpr int kPortPanel = 0;
inline constexpr int kIoCountPanel = 1;
inline constexpr int kLinkPanel = 2;
inline constexpr int kClockPanel = 3;

// " I/O count: %06ld "
[[nodiscard]] std::string IoCountText(std::int32_t count);

class Exchange {
public:
    Exchange(ExchangeState& state, ExchangeView& view) : state_(state), view_(view) {}

    // One pass: at most one request is left staged, the last one wins.
    void ExchangeScheduler(link::TxStaging& staging);

    // Acts on one received frame by its command byte.
    void ReplyDispatcher(std::span<const std::uint8_t> frame);

private:
    ExchangeState& state_;
    ExchangeView& view_;
};

}  // namespace talveno::console
