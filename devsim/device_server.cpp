#include "device_server.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "frame_assembler.h"
#include "link_frame.h"

namespace talveno::devsim {

namespace {

using Clock = std::chrono::steady_clock;

// 57600 baud, a start bit, eight data bits and a stop bit per byte.
constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 57600);
// Bytes go out in runs this long when paced: short enough to keep the rate
// even, long enough not to wake the thread for every byte.
constexpr std::size_t kPacedRun = 8;
// A request cut short would swallow the next one; after this much silence
// the device forgets what it holds of it, as its console does.
constexpr auto kPartialFrameSilence = std::chrono::milliseconds(200);
// The FLASH is saved once the line has rested this long (a load writes 256
// pages in a row; saving after each would write the sector 256 times).
constexpr auto kSaveAfterQuiet = std::chrono::milliseconds(250);
constexpr auto kPollSlice = std::chrono::milliseconds(10);
constexpr std::size_t kMaxLoggedRequests = 100'000;

// Sleeps until `until` unless `stop` is set first; false when it was.
bool SleepUntil(Clock::time_point until, const std::atomic<bool>& stop) {
    while (!stop.load()) {
        const auto now = Clock::now();
        if (now >= until) {
            return true;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, kPollSlice));
    }
    return false;
}

bool SleepFor(Clock::duration duration, const std::atomic<bool>& stop) {
    return SleepUntil(Clock::now() + duration, stop);
}

std::string MessagePlayedLine(int message) {
    char text[48];
    std::snprintf(text, sizeof text, "playing message #%02d", message);
    return text;
}

}  // namespace

DeviceServer::DeviceServer(SimulatorOptions options) : options_(std::move(options)) {
    DeviceTiming timing;
    timing.sectorErase = options_.eraseTime;
    device_.setTiming(timing);
    injector_ = FaultInjector(options_.faults);
    if (options_.stateDir.empty()) {
        return;
    }
    store_.emplace(options_.stateDir);
    error_ = store_->prepare();
    if (!error_.empty()) {
        store_.reset();
        return;
    }
    for (const auto& note : store_->restore(device_)) {
        log(note);
    }
}

DeviceServer::~DeviceServer() {
    saveChanges();
}

void DeviceServer::serve(DeviceLine& line, const std::atomic<bool>& stop) {
    link::FrameAssembler assembler;
    std::vector<std::uint8_t> incoming;
    auto lastByteAt = Clock::now();
    auto takenUntil = lastByteAt;  // when the paced line has delivered the bytes so far
    bool unsaved = false;
    while (!stop.load() && line.up()) {
        incoming.clear();
        if (!line.receive(incoming, kPollSlice)) {
            break;
        }
        const auto now = Clock::now();
        letTimePass(now);
        if (incoming.empty()) {
            if (assembler.held() > 0 && now - lastByteAt > kPartialFrameSilence) {
                assembler.dropPartial();
            }
            if (unsaved && now - lastByteAt > kSaveAfterQuiet) {
                saveChanges();
                unsaved = false;
            }
            continue;
        }
        lastByteAt = now;
        takenUntil = std::max(takenUntil, now);
        for (const std::uint8_t byte : incoming) {
            takenUntil += options_.pace ? kByteTime : Clock::duration::zero();
            if (!assembler.feed(byte)) {
                continue;
            }
            const auto span = assembler.frame();
            const std::vector<std::uint8_t> frame(span.begin(), span.end());
            if (options_.pace && !SleepUntil(takenUntil, stop)) {
                return;
            }
            serveFrame(line, frame, stop);
            unsaved = true;
            if (stop.load() || !line.up()) {
                return;
            }
        }
    }
}

void DeviceServer::serveFrame(DeviceLine& line, std::span<const std::uint8_t> frame,
                              const std::atomic<bool>& stop) {
    LoggedRequest entry;
    entry.at = Clock::now();
    entry.command = frame[link::kCommandOffset];  // the assembler delivers whole headers
    entry.argument = frame[link::kArgumentOffset];
    if (const auto info = link::ParseFrame(frame)) {
        entry.payloadSize = info->payload.size();
    }
    if (options_.verbose) {
        log(RequestLine(sinceStart(), entry.command, entry.argument, frame.size()));
    }

    RequestFate fate;
    Handled handled;
    std::vector<int> started;
    std::optional<ConfigRecord> changedConfig;
    {
        std::lock_guard lock(mutex_);
        fate = injector_.onRequest();
        if (!fate.silent) {
            handled = device_.handle(frame);
            started = device_.takeStartedMessages();
            if (device_.takeConfigChanged()) {
                changedConfig = device_.config();
            }
        }
    }
    for (const int message : started) {
        log(MessagePlayedLine(message));
    }
    if (changedConfig && store_) {
        if (const auto error = store_->saveConfig(*changedConfig); !error.empty()) {
            log("cannot save the configuration: " + error);
        }
    }

    std::size_t sent = 0;
    if (fate.silent) {
        entry.outcome = RequestOutcome::Silenced;
    } else if (handled.reply.empty()) {
        entry.outcome = handled.outcome;
    } else {
        (void)SleepFor(handled.workTime, stop);
        ReplyPlan plan;
        {
            std::lock_guard lock(mutex_);
            plan = injector_.onReply(entry.command);
        }
        sent = handled.reply.size();
        entry.outcome = deliver(line, std::move(handled.reply), plan, stop);
    }
    entry.answered = ReplySent(entry.outcome);
    record(entry);
    if (options_.verbose) {
        log(ReplyLine(sinceStart(), entry.command, entry.answered ? sent : 0, entry.outcome,
                      handled.reason));
    }
    if (fate.hangUp) {
        line.hangUp();
        hungUp_ = true;
        log("hanging up the line, as the hang-up fault asks");
    }
}

RequestOutcome DeviceServer::deliver(DeviceLine& line, std::vector<std::uint8_t> reply,
                                     const ReplyPlan& plan, const std::atomic<bool>& stop) {
    ++repliesMade_;
    if (plan.drop) {
        return RequestOutcome::Dropped;
    }
    if (plan.corrupt) {
        CorruptReply(reply);
    }
    if (!SleepFor(plan.delay, stop)) {
        return RequestOutcome::LineFailed;
    }
    if (plan.noiseBytes > 0 && !sendPaced(line, NoiseBytes(plan.noiseBytes, repliesMade_), stop)) {
        return RequestOutcome::LineFailed;
    }
    bool first = true;
    for (const auto piece : SplitReply(reply, plan.pieces)) {
        if (!first && !SleepFor(plan.gap, stop)) {
            return RequestOutcome::LineFailed;
        }
        first = false;
        if (!sendPaced(line, piece, stop)) {
            return RequestOutcome::LineFailed;
        }
    }
    return plan.corrupt ? RequestOutcome::Corrupted : RequestOutcome::Answered;
}

bool DeviceServer::sendPaced(DeviceLine& line, std::span<const std::uint8_t> bytes,
                             const std::atomic<bool>& stop) {
    if (!options_.pace) {
        return line.send(bytes);
    }
    const auto begin = Clock::now();
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t run = std::min(kPacedRun, bytes.size() - done);
        if (!line.send(bytes.subspan(done, run))) {
            return false;
        }
        done += run;
        if (!SleepUntil(begin + kByteTime * static_cast<long long>(done), stop)) {
            return false;
        }
    }
    return true;
}

void DeviceServer::letTimePass(Clock::time_point now) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastAdvance_);
    if (elapsed.count() <= 0) {
        return;
    }
    lastAdvance_ += elapsed;
    std::vector<int> started;
    {
        std::lock_guard lock(mutex_);
        device_.advance(elapsed);
        started = device_.takeStartedMessages();
    }
    for (const int message : started) {
        log(MessagePlayedLine(message));
    }
}

void DeviceServer::saveChanges() {
    if (!store_) {
        return;
    }
    std::vector<std::pair<int, std::vector<std::uint8_t>>> sectors;
    std::optional<ConfigRecord> config;
    {
        std::lock_guard lock(mutex_);
        for (const int s : device_.flash().takeChangedSectors()) {
            const auto image = device_.flash().sector(s);
            sectors.emplace_back(s, std::vector<std::uint8_t>(image.begin(), image.end()));
        }
        if (device_.takeConfigChanged()) {
            config = device_.config();
        }
    }
    for (const auto& [s, image] : sectors) {
        if (const auto error = store_->saveSector(s, image); !error.empty()) {
            log("cannot save sector " + std::to_string(s) + ": " + error);
        }
    }
    if (config) {
        if (const auto error = store_->saveConfig(*config); !error.empty()) {
            log("cannot save the configuration: " + error);
        }
    }
}

void DeviceServer::record(const LoggedRequest& entry) {
    std::lock_guard lock(mutex_);
    if (requests_.size() >= kMaxLoggedRequests) {
        requests_.pop_front();
    }
    requests_.push_back(entry);
}

void DeviceServer::log(const std::string& line) const {
    if (options_.log) {
        options_.log(line);
    }
}

std::chrono::duration<double> DeviceServer::sinceStart() const {
    return Clock::now() - start_;
}

void DeviceServer::setFaults(const Faults& faults) {
    std::lock_guard lock(mutex_);
    injector_ = FaultInjector(faults);
}

std::vector<std::uint8_t> DeviceServer::sector(int n) const {
    std::lock_guard lock(mutex_);
    const auto image = device_.flash().sector(n);
    return {image.begin(), image.end()};
}

ConfigRecord DeviceServer::config() const {
    std::lock_guard lock(mutex_);
    return device_.config();
}

bool DeviceServer::flashMode() const {
    std::lock_guard lock(mutex_);
    return device_.flashMode();
}

bool DeviceServer::remoteMode() const {
    std::lock_guard lock(mutex_);
    return device_.remoteMode();
}

InputSnapshot DeviceServer::inputs() const {
    std::lock_guard lock(mutex_);
    return {device_.inputs().report(device_.config()), device_.inputs().plays()};
}

std::vector<LoggedRequest> DeviceServer::requests() const {
    std::lock_guard lock(mutex_);
    return {requests_.begin(), requests_.end()};
}

void DeviceServer::clearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

}  // namespace talveno::devsim
