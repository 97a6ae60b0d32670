// Win32 comm API implementation of the serial port.
//
// All transfers are synchronous (no FILE_FLAG_OVERLAPPED): the worker reads
// one byte at a time with a 1 ms read time-out, and a write returns once the
// driver has taken every byte.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cctype>
#include <mutex>

#include "serial_port.h"

namespace talveno::link {

namespace {

// PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR: transfers under
// way are abandoned and both driver queues emptied.
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
static_assert(kPurgeAll == 15);

// A read returns what is there after at most this long; waiting longer for a
// reply byte only slows the worker's cycle.
constexpr DWORD kReadTotalTimeoutMs = 1;

std::string SystemText(DWORD code) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result;
    if (length > 0 && text != nullptr) {
        result.assign(text, length);
    }
    ::LocalFree(text);
    // The system's messages end in a line break, which a status line or a
    // message box does not want.
    while (!result.empty() && std::isspace(static_cast<unsigned char>(result.back())) != 0) {
        result.pop_back();
    }
    if (result.empty()) {
        result = "system error " + std::to_string(code);
    }
    return result;
}

PortError ErrorFromCode(DWORD code) {
    PortError error;
    error.osCode = static_cast<int>(code);
    error.osText = SystemText(code);
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            error.kind = PortErrorKind::NotFound;
            break;
        // Windows answers "access denied" when another program holds a COM
        // port; comm devices carry no per-user rights that would refuse us.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            error.kind = PortErrorKind::Busy;
            break;
        default:
            error.kind = PortErrorKind::Io;
            break;
    }
    return error;
}

PortError LastSystemError() {
    // Read at once: any later call may overwrite the thread's last error.
    return ErrorFromCode(::GetLastError());
}

// "COM10" and above open only through the device namespace ("\\.\COM10"); the
// prefix is harmless for COM1..COM9, so every plain COMn gets it.
std::string DevicePath(const std::string& name) {
    const bool isCom = name.size() > 3 && (name[0] == 'C' || name[0] == 'c') &&
                       (name[1] == 'O' || name[1] == 'o') && (name[2] == 'M' || name[2] == 'm') &&
                       name.find_first_not_of("0123456789", 3) == std::string::npos;
    return isCom ? "\\\\.\\" + name : name;
}

DCB EmptyDcb() {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    return dcb;
}

// The link's line: 8 data bits, one stop bit, binary, no parity checking, no
// handshake of either kind, DTR and RTS held inactive. Everything else stays as
// the port had it, the parity mode included, so that a device configured for
// it by another program still sees the same framing.
void MakeLinkDcb(DCB& dcb, std::uint32_t baud) {
    dcb.BaudRate = baud;
    dcb.StopBits = ONESTOPBIT;
    dcb.ByteSize = 8;
    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
}

Parity ParityOf(BYTE mode) {
    switch (mode) {
        case ODDPARITY:
            return Parity::Odd;
        case EVENPARITY:
            return Parity::Even;
        case MARKPARITY:
            return Parity::Mark;
        case SPACEPARITY:
            return Parity::Space;
        default:
            return Parity::None;
    }
}

LineSettings DescribeDcb(const DCB& dcb) {
    LineSettings s;
    s.baud = dcb.BaudRate;
    s.dataBits = dcb.ByteSize;
    // 1.5 stop bits (5 data bits only) counts as 2: more than one.
    s.stopBits = dcb.StopBits == ONESTOPBIT ? 1 : 2;
    s.parity = ParityOf(dcb.Parity);
    s.parityChecked = dcb.fParity != 0;
    s.rtsCts = dcb.fOutxCtsFlow != 0 || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE;
    s.xonXoff = dcb.fOutX != 0 || dcb.fInX != 0;
    // fNull drops received zero bytes; with parity checking the driver may put
    // ErrorChar in place of a damaged byte.
    s.raw = dcb.fBinary != 0 && dcb.fNull == 0 && dcb.fParity == 0;
    return s;
}

}  // namespace

std::string SystemPortName(const std::string& name) {
    return name;
}

struct SerialPort::Impl {
    mutable std::mutex mutex;
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool haveSaved = false;
    DCB saved = EmptyDcb();
    PortError lastError;

    [[nodiscard]] bool held() const { return handle != INVALID_HANDLE_VALUE; }

    void closeLocked() {
        if (held()) {
            (void)::CloseHandle(handle);
            handle = INVALID_HANDLE_VALUE;
        }
        haveSaved = false;
    }
};

SerialPort::SerialPort() : impl_(std::make_unique<Impl>()) {}

SerialPort::~SerialPort() {
    std::lock_guard lock(impl_->mutex);
    impl_->closeLocked();
}

bool SerialPort::open(const std::string& systemName) {
    std::lock_guard lock(impl_->mutex);
    impl_->closeLocked();
    // No sharing: while we hold the port, every other opener is refused.
    const HANDLE handle =
        ::CreateFileA(DevicePath(systemName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    // 0 is no usable handle either, whatever the system says about it.
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        impl_->lastError = LastSystemError();
        return false;
    }
    impl_->handle = handle;
    impl_->lastError = {};
    return true;
}

bool SerialPort::isOpen() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->held();
}

void SerialPort::close() {
    std::lock_guard lock(impl_->mutex);
    impl_->closeLocked();
}

void SerialPort::purge() {
    std::lock_guard lock(impl_->mutex);
    if (impl_->held()) {
        (void)::PurgeComm(impl_->handle, kPurgeAll);
    }
}

void SerialPort::saveSettings() {
    std::lock_guard lock(impl_->mutex);
    if (impl_->held()) {
        impl_->saved = EmptyDcb();
        // A DCB that could not be read is never written back.
        impl_->haveSaved = ::GetCommState(impl_->handle, &impl_->saved) != FALSE;
    }
}

void SerialPort::restoreSettings() {
    std::lock_guard lock(impl_->mutex);
    if (impl_->held() && impl_->haveSaved) {
        (void)::SetCommState(impl_->handle, &impl_->saved);
    }
}

bool SerialPort::applyLineSettings(std::int64_t baud) {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->held()) {
        impl_->lastError = ErrorFromCode(ERROR_INVALID_HANDLE);
        impl_->lastError.kind = PortErrorKind::Closed;
        return false;
    }
    // The fields we leave alone must come from the port; without them the
    // settings would be a guess, so a failed read refuses the port as a failed
    // write would.
    DCB dcb = EmptyDcb();
    if (::GetCommState(impl_->handle, &dcb) == FALSE) {
        impl_->lastError = LastSystemError();
        return false;
    }
    MakeLinkDcb(dcb, SupportedBaud(baud));
    if (::SetCommState(impl_->handle, &dcb) == FALSE) {
        impl_->lastError = LastSystemError();
        return false;
    }
    return true;
}

void SerialPort::setTimeouts() {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->held()) {
        return;
    }
    COMMTIMEOUTS timeouts{};
    (void)::GetCommTimeouts(impl_->handle, &timeouts);
    // No interval or per-byte terms: a read waits 1 ms in all. Write time-outs
    // 0 mean none: with no handshake the driver sends at the line rate, so a
    // write ends within the line time of what it carries.
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = kReadTotalTimeoutMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    (void)::SetCommTimeouts(impl_->handle, &timeouts);
}

void SerialPort::setQueueSizes(std::size_t receive, std::size_t transmit) {
    std::lock_guard lock(impl_->mutex);
    if (impl_->held()) {
        (void)::SetupComm(impl_->handle, static_cast<DWORD>(receive), static_cast<DWORD>(transmit));
    }
}

std::optional<std::size_t> SerialPort::queuedBytes() {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->held()) {
        return std::nullopt;
    }
    // Also clears a line error the driver holds, which would otherwise stop
    // further reads on a port with fAbortOnError set.
    DWORD errors = 0;
    COMSTAT status{};
    if (::ClearCommError(impl_->handle, &errors, &status) == FALSE) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(status.cbInQue);
}

std::optional<std::uint8_t> SerialPort::readByte() {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->held()) {
        return std::nullopt;
    }
    std::uint8_t byte = 0;
    DWORD got = 0;
    // A failed read, or one that timed out, yields nothing; no earlier byte is
    // handed out again in its place.
    if (::ReadFile(impl_->handle, &byte, 1, &got, nullptr) == FALSE || got != 1) {
        return std::nullopt;
    }
    return byte;
}

bool SerialPort::write(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->held()) {
        return false;
    }
    if (bytes.empty()) {
        return true;
    }
    DWORD written = 0;
    return ::WriteFile(impl_->handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) != FALSE &&
           written == bytes.size();
}

bool SerialPort::drain() {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->held()) {
        return false;
    }
    return ::FlushFileBuffers(impl_->handle) != FALSE;
}

std::optional<LineSettings> SerialPort::currentSettings() const {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->held()) {
        return std::nullopt;
    }
    DCB dcb = EmptyDcb();
    if (::GetCommState(impl_->handle, &dcb) == FALSE) {
        return std::nullopt;
    }
    return DescribeDcb(dcb);
}

PortError SerialPort::lastError() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->lastError;
}

}  // namespace talveno::link
