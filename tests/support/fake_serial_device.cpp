#include "fake_serial_device.h"

#include <algorithm>
#include <cstring>

namespace sk::test {

std::vector<std::string> FakeSerialDevice::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

void FakeSerialDevice::clearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

LineState FakeSerialDevice::lastLineState() const {
    std::lock_guard lock(mutex_);
    return lineState_;
}

CommTimeouts FakeSerialDevice::lastTimeouts() const {
    std::lock_guard lock(mutex_);
    return timeouts_;
}

int FakeSerialDevice::applyCount(const std::string& call) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(calls_.begin(), calls_.end(), call));
}

void FakeSerialDevice::failOpenWith(int code) {
    std::lock_guard lock(mutex_);
    failOpen_ = code;
}

void FakeSerialDevice::failLineStateWith(int code) {
    std::lock_guard lock(mutex_);
    failLineState_ = code;
}

void FakeSerialDevice::setModemStatus(ModemStatus s) {
    std::lock_guard lock(mutex_);
    modem_ = s;
}

void FakeSerialDevice::inject(TSerialEvents events, std::string bytes, TSerialErrors errors) {
    {
        std::lock_guard lock(mutex_);
        pendingEvents_ = pendingEvents_ | events;
        pendingBytes_ += bytes;
        pendingErrors_ = pendingErrors_ | errors;
    }
    changed_.notify_all();
}

void FakeSerialDevice::record(std::string call) {
    calls_.push_back(std::move(call));
}

void FakeSerialDevice::open(const std::string& name) {
    std::lock_guard lock(mutex_);
    record("open " + name);
    if (failOpen_ != 0)
        throw ESerialPort(seOpenFail, failOpen_);
    open_ = true;
}

void FakeSerialDevice::close() noexcept {
    std::lock_guard lock(mutex_);
    if (!open_)
        return;
    record("close");
    open_ = false;
}

bool FakeSerialDevice::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

void FakeSerialDevice::applyBuffers(int inputSize, int outputSize) {
    std::lock_guard lock(mutex_);
    record("buffers " + std::to_string(inputSize) + " " + std::to_string(outputSize));
}

void FakeSerialDevice::applyLineState(const LineState& state) {
    std::lock_guard lock(mutex_);
    record("linestate");
    if (failLineState_ != 0)
        throw ESerialPort(seSetState, failLineState_);
    lineState_ = state;
}

void FakeSerialDevice::applyTimeouts(const CommTimeouts& timeouts) {
    std::lock_guard lock(mutex_);
    record("timeouts");
    timeouts_ = timeouts;
}

void FakeSerialDevice::beginWatch(TSerialEvents mask) {
    std::lock_guard lock(mutex_);
    record("watch " + std::to_string(mask.bits()));
    stop_ = false;
}

WaitResult FakeSerialDevice::waitEvents(int) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stop_ || !pendingEvents_.empty(); });
    if (stop_)
        return {WaitResult::Stopped, {}};
    const TSerialEvents events = pendingEvents_;
    pendingEvents_ = {};
    return {WaitResult::Events, events};
}

void FakeSerialDevice::waitStop() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stop_; });
}

void FakeSerialDevice::signalStop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
}

void FakeSerialDevice::endWatch() {
    std::lock_guard lock(mutex_);
    record("endwatch");
}

QueueStatus FakeSerialDevice::queueStatus() {
    std::lock_guard lock(mutex_);
    QueueStatus q{static_cast<int>(pendingBytes_.size()), pendingErrors_};
    pendingErrors_ = {};
    return q;
}

int FakeSerialDevice::read(char* buffer, int count) {
    std::lock_guard lock(mutex_);
    const int n = std::min<int>(count, static_cast<int>(pendingBytes_.size()));
    std::memcpy(buffer, pendingBytes_.data(), static_cast<size_t>(n));
    pendingBytes_.erase(0, static_cast<size_t>(n));
    record("read " + std::to_string(n));
    return n;
}

int FakeSerialDevice::write(const char* data, int count) {
    std::lock_guard lock(mutex_);
    record("write " + std::string(data, static_cast<size_t>(count)));
    return count;
}

void FakeSerialDevice::purge(unsigned flags) {
    std::lock_guard lock(mutex_);
    record("purge " + std::to_string(flags));
}

ModemStatus FakeSerialDevice::modemStatus() {
    std::lock_guard lock(mutex_);
    return modem_;
}

}  // namespace sk::test
