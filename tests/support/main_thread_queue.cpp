#include "main_thread_queue.h"

#include <algorithm>

#include "serial/serial_port.h"

namespace sk::test {

MainThreadQueue::MainThreadQueue() : state_(std::make_shared<State>()) {}

MainThreadQueue::~MainThreadQueue() {
    for (TCustomSerialPort* port : ports_)
        port->SetMainThreadWake(nullptr);
}

void MainThreadQueue::attach(TCustomSerialPort& port) {
    if (std::find(ports_.begin(), ports_.end(), &port) == ports_.end())
        ports_.push_back(&port);
    port.SetMainThreadWake(wake());
}

void MainThreadQueue::detach(TCustomSerialPort& port) {
    port.SetMainThreadWake(nullptr);
    ports_.erase(std::remove(ports_.begin(), ports_.end(), &port), ports_.end());
}

std::function<void()> MainThreadQueue::wake() {
    std::weak_ptr<State> weak = state_;
    return [weak] {
        if (auto state = weak.lock()) {
            {
                std::lock_guard lock(state->mutex);
                ++state->wakes;
            }
            state->woken.notify_all();
        }
    };
}

long MainThreadQueue::wakes() const {
    std::lock_guard lock(state_->mutex);
    return state_->wakes;
}

bool MainThreadQueue::waitForWakes(long count, Ms timeout) {
    std::unique_lock lock(state_->mutex);
    return state_->woken.wait_for(lock, timeout, [&] { return state_->wakes >= count; });
}

int MainThreadQueue::pump() {
    int ran = 0;
    bool any = true;
    while (any) {
        any = false;
        const std::vector<TCustomSerialPort*> ports = ports_;
        for (TCustomSerialPort* port : ports) {
            if (port->ProcessHandOver()) {
                ++ran;
                any = true;
            }
        }
    }
    return ran;
}

bool MainThreadQueue::pumpUntil(const std::function<bool()>& pred, Ms timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const long seen = wakes();
        pump();
        if (pred())
            return true;
        std::unique_lock lock(state_->mutex);
        if (!state_->woken.wait_until(lock, deadline, [&] { return state_->wakes != seen; })) {
            lock.unlock();
            pump();
            return pred();
        }
    }
}

void MainThreadQueue::pumpFor(Ms duration) {
    pumpUntil([] { return false; }, duration);
}

}  // namespace sk::test
