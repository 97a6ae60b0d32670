#include "program_options.h"

#include <charconv>
#include <functional>
#include <map>

namespace talveno::devsim {

namespace {

// A whole non-negative number: decimal, or hexadecimal behind "0x".
std::optional<long> ParseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > 1'000'000'000) {
        return std::nullopt;
    }
    return value;
}

class Reader {
public:
    explicit Reader(std::span<const std::string_view> args) : args_(args) {}

    [[nodiscard]] bool done() const { return at_ >= args_.size(); }
    std::string_view next() { return args_[at_++]; }
    [[nodiscard]] std::optional<std::string_view> value() {
        if (done()) {
            return std::nullopt;
        }
        return next();
    }

private:
    std::span<const std::string_view> args_;
    std::size_t at_ = 0;
};

ParsedCommandLine Fail(std::string error) {
    return {std::nullopt, std::move(error)};
}

}  // namespace

ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args) {
    ProgramOptions options;
    bool haveMode = false;
    const auto setMode = [&](ProgramMode mode) {
        const bool clash = haveMode && options.mode != mode;
        options.mode = mode;
        haveMode = true;
        return !clash;
    };
    Reader reader(args);

    // Options that take one count or time in milliseconds.
    Faults& faults = options.simulator.faults;
    const std::map<std::string_view, std::function<void(long)>> numeric = {
        {"--drop-every", [&](long n) { faults.dropEvery = static_cast<int>(n); }},
        {"--delay", [&](long n) { faults.delay = std::chrono::milliseconds(n); }},
        {"--noise", [&](long n) { faults.noiseBytes = static_cast<int>(n); }},
        {"--split", [&](long n) { faults.splitPieces = static_cast<int>(n); }},
        {"--split-gap", [&](long n) { faults.splitGap = std::chrono::milliseconds(n); }},
        {"--corrupt-every", [&](long n) { faults.corruptEvery = static_cast<int>(n); }},
        {"--silent-after", [&](long n) { faults.silentAfter = static_cast<int>(n); }},
        {"--hang-up-after", [&](long n) { faults.hangUpAfter = static_cast<int>(n); }},
        {"--erase-ms", [&](long n) { options.simulator.eraseTime = std::chrono::milliseconds(n); }},
    };

    while (!reader.done()) {
        const std::string_view arg = reader.next();
        if (arg == "-h" || arg == "--help") {
            options.mode = ProgramMode::Help;
            return {options, {}};
        }
        if (arg == "-v") {
            options.simulator.verbose = true;
        } else if (arg == "--pace") {
            options.simulator.pace = true;
        } else if (arg == "--link" || arg == "--port" || arg == "--state") {
            const auto value = reader.value();
            if (!value || value->empty()) {
                return Fail(std::string(arg) + " needs a value");
            }
            if (arg == "--state") {
                options.simulator.stateDir = std::string(*value);
                continue;
            }
            const bool link = arg == "--link";
            if (!setMode(link ? ProgramMode::Link : ProgramMode::Port)) {
                return Fail("--link, --port and --export-wav exclude each other");
            }
            (link ? options.linkPath : options.portName) = std::string(*value);
        } else if (arg == "--export-wav") {
            const auto message = reader.value();
            const auto file = reader.value();
            const auto number = message ? ParseNumber(*message) : std::nullopt;
            if (!number || *number > 14 || !file || file->empty()) {
                return Fail("--export-wav needs a message number 0..14 and a file name");
            }
            if (!setMode(ProgramMode::ExportWav)) {
                return Fail("--link, --port and --export-wav exclude each other");
            }
            options.exportMessage = static_cast<int>(*number);
            options.exportFile = std::string(*file);
        } else if (arg == "--drop") {
            const auto value = reader.value();
            const auto colon = value ? value->find(':') : std::string_view::npos;
            const auto command = colon != std::string_view::npos
                                     ? ParseNumber(value->substr(0, colon))
                                     : std::nullopt;
            const auto nth = colon != std::string_view::npos ? ParseNumber(value->substr(colon + 1))
                                                             : std::nullopt;
            if (!command || *command > 0xFF || !nth) {
                return Fail("--drop needs CMD:N, e.g. 0x30:5 (N = 0: every one)");
            }
            faults.dropCommand = static_cast<std::uint8_t>(*command);
            faults.dropCommandNth = static_cast<int>(*nth);
        } else if (const auto it = numeric.find(arg); it != numeric.end()) {
            const auto value = reader.value();
            const auto number = value ? ParseNumber(*value) : std::nullopt;
            if (!number) {
                return Fail(std::string(arg) + " needs a whole number");
            }
            it->second(*number);
        } else {
            return Fail("unknown option " + std::string(arg));
        }
    }
    if (!haveMode) {
        return Fail("one of --link PATH, --port NAME or --export-wav N FILE is needed");
    }
    if (options.mode == ProgramMode::ExportWav && options.simulator.stateDir.empty()) {
        return Fail("--export-wav needs --state DIR");
    }
    return {options, {}};
}

std::string UsageText() {
    return R"(talveno-devsim: a simulated voice annunciator on a serial line

  talveno-devsim --link PATH [options]   serve on a new pseudo-terminal; PATH
                                         becomes a link to the console's side
  talveno-devsim --port NAME [options]   serve on an existing serial port
  talveno-devsim --state DIR --export-wav N FILE
                                         write message N (0..14) as a WAV file

Options:
  --state DIR          keep FLASH and configuration in DIR across runs
  --pace               take and send bytes at 57600 baud (10 bits per byte)
  --erase-ms MS        working time of a sector erase (default 300)
  -v                   one line per request and per reply
Faults:
  --drop-every N       drop every Nth reply
  --delay MS           wait MS more before each reply
  --noise N            send N noise bytes before each reply
  --split N            send each reply in N pieces...
  --split-gap MS       ...MS apart (default 20)
  --corrupt-every N    change one byte of every Nth reply
  --silent-after N     answer the first N requests only
  --hang-up-after N    hang up the line after the Nth request
  --drop CMD:N         drop the reply to the Nth request of command CMD
                       (e.g. 0x30:5); N = 0 drops every reply to CMD
)";
}

}  // namespace talveno::devsim
