#include "serial/serial_thread.h"

#include "serial/serial_device.h"
#include "serial/serial_port.h"

namespace sk {

namespace {
// Waits that fail this many times in a row are taken as a lost device.
constexpr int kFailedWaitLimit = 3;
}  // namespace

void MainThreadWake::call() {
    std::function<void()> w;
    {
        std::lock_guard lock(mutex);
        w = wake;
    }
    if (w)
        w();
}

TSerialThread::TSerialThread(TCustomSerialPort& port, SerialDevice& device, TSerialEvents events,
                             TSyncMethod sync, std::shared_ptr<MainThreadWake> wake)
    : port_(port), device_(device), sync_(sync), wake_(std::move(wake)) {
    device_.beginWatch(events);
    thread_ = std::thread([this] { run(); });
}

TSerialThread::~TSerialThread() {
    if (!stopped_)
        Stop();
}

bool TSerialThread::Finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

void TSerialThread::run() {
    int unread = 0;
    int failures = 0;
    try {
        for (;;) {
            WaitResult r = device_.waitEvents(unread);
            if (r.kind == WaitResult::Stopped)
                break;
            if (r.kind == WaitResult::Failed) {
                if (++failures < kFailedWaitLimit)
                    continue;
                r = {WaitResult::Gone, {}};
            }
            failures = 0;
            if (!r.events.empty())
                unread = dispatch(r.events);
            if (r.kind == WaitResult::Gone) {
                // Nothing more will come; watching on would only spin.
                device_.waitStop();
                break;
            }
        }
    } catch (...) {
        // A failed dispatch ends the thread; the port stays open until Close.
    }
    device_.endWatch();
    try {
        // Bytes nobody read are dropped with the thread; output is left to
        // drain (see Close).
        device_.purge(purgeRxClear);
    } catch (...) {
    }
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

int TSerialThread::dispatch(TSerialEvents events) {
    if (sync_ == TSyncMethod::smNone)
        return port_.DispatchEvents(events);
    return handOver(events);
}

int TSerialThread::handOver(TSerialEvents events) {
    {
        std::lock_guard lock(mutex_);
        slot_ = Slot{};
        slot_.pending = true;
        slot_.events = events;
    }
    changed_.notify_all();
    wake_->call();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return slot_.done; });
    slot_.pending = false;
    const std::exception_ptr error = slot_.error;
    const int unread = slot_.unread;
    lock.unlock();
    if (error)
        std::rethrow_exception(error);
    return unread;
}

bool TSerialThread::ProcessHandOver() {
    TSerialEvents events;
    {
        std::lock_guard lock(mutex_);
        if (!slot_.pending || slot_.taken)
            return false;
        slot_.taken = true;
        events = slot_.events;
    }
    ++processing_;
    int unread = 0;
    std::exception_ptr error;
    try {
        unread = port_.DispatchEvents(events);
    } catch (...) {
        error = std::current_exception();
    }
    --processing_;
    {
        std::lock_guard lock(mutex_);
        if (!slot_.done) {
            slot_.unread = unread;
            slot_.error = error;
            slot_.done = true;
        }
    }
    changed_.notify_all();
    return true;
}

void TSerialThread::Stop() {
    if (stopped_)
        return;
    stopped_ = true;
    device_.signalStop();
    std::this_thread::yield();
    std::unique_lock lock(mutex_);
    while (!finished_) {
        if (slot_.pending && !slot_.taken) {
            lock.unlock();
            ProcessHandOver();
            lock.lock();
            continue;
        }
        if (processing_ > 0 && slot_.taken && !slot_.done) {
            // Close was called from a handler inside this very hand-over: let
            // the thread go now, or it would wait for us while we wait for it.
            slot_.done = true;
            changed_.notify_all();
            continue;
        }
        changed_.wait(lock);
    }
    lock.unlock();
    thread_.join();
}

}  // namespace sk
