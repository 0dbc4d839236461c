#include "pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace sk::test {

namespace {

[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string("PtyPeer: ") + what + ": " + std::strerror(errno));
}

int speedValue(speed_t s) {
    switch (s) {
        case B110:
            return 110;
        case B300:
            return 300;
        case B600:
            return 600;
        case B1200:
            return 1200;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        case B230400:
            return 230400;
        default:
            return 0;
    }
}

}  // namespace

PtyPeer::PtyPeer() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        fail("posix_openpt");
    if (grantpt(master_) != 0 || unlockpt(master_) != 0)
        fail("grantpt/unlockpt");
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0)
        fail("ptsname_r");
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0)
        fail("open slave");
    // No echo before the port makes the line raw itself.
    termios t{};
    if (tcgetattr(slave_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(slave_, TCSANOW, &t);
    }
    control_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (control_ < 0)
        fail("eventfd");
    reader_ = std::thread([this] { readLoop(); });
}

PtyPeer::~PtyPeer() {
    {
        std::lock_guard lock(mutex_);
        command_ = Command::Stop;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] auto r = ::write(control_, &one, sizeof one);
    reader_.join();
    ::close(control_);
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
}

void PtyPeer::readLoop() {
    char buf[4096];
    for (;;) {
        // Only this thread closes master_, so reading it here needs no lock.
        pollfd fds[2] = {{control_, POLLIN, 0}, {master_, POLLIN, 0}};
        const int n = ::poll(fds, master_ >= 0 ? 2 : 1, -1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return;
        if (fds[0].revents != 0) {
            std::uint64_t value = 0;
            [[maybe_unused]] auto r = ::read(control_, &value, sizeof value);
            std::unique_lock lock(mutex_);
            if (command_ == Command::Stop)
                return;
            if (command_ == Command::HangUp) {
                command_ = Command::None;
                std::lock_guard writing(writeMutex_);
                ::close(master_);
                master_ = -1;
                ::close(slave_);
                slave_ = -1;
                hungUp_ = true;
                lock.unlock();
                arrived_.notify_all();
            }
            continue;
        }
        if (master_ < 0)
            continue;
        const ssize_t got = ::read(master_, buf, sizeof buf);
        if (got <= 0) {
            // EIO while no one has the slave open; a control command ends it.
            pollfd c{control_, POLLIN, 0};
            ::poll(&c, 1, 5);
            continue;
        }
        std::vector<std::string> replies;
        {
            std::lock_guard lock(mutex_);
            chunks_.push_back({Clock::now(), std::string(buf, static_cast<size_t>(got))});
            received_.append(buf, static_cast<size_t>(got));
            for (Rule& rule : rules_) {
                for (;;) {
                    const auto at = received_.find(rule.text, rule.scanFrom);
                    if (at == std::string::npos)
                        break;
                    rule.scanFrom = at + rule.text.size();
                    replies.push_back(rule.reply);
                }
            }
        }
        arrived_.notify_all();
        for (const std::string& reply : replies)
            write(reply);
    }
}

std::string PtyPeer::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<PtyPeer::Chunk> PtyPeer::chunks() const {
    std::lock_guard lock(mutex_);
    return chunks_;
}

void PtyPeer::clearReceived() {
    std::lock_guard lock(mutex_);
    received_.clear();
    chunks_.clear();
    for (Rule& rule : rules_)
        rule.scanFrom = 0;
}

bool PtyPeer::waitFor(const std::function<bool(const std::string&)>& pred, Ms timeout) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return pred(received_); });
}

bool PtyPeer::waitForBytes(std::size_t count, Ms timeout) {
    return waitFor([count](const std::string& r) { return r.size() >= count; }, timeout);
}

bool PtyPeer::waitForText(std::string_view text, Ms timeout) {
    return waitFor([text](const std::string& r) { return r.find(text) != std::string::npos; },
                   timeout);
}

void PtyPeer::write(std::string_view bytes) {
    std::lock_guard lock(writeMutex_);
    if (master_ < 0)
        return;
    while (!bytes.empty()) {
        const ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    std::lock_guard stamp(mutex_);
    lastWrite_ = Clock::now();
}

void PtyPeer::write(std::string_view bytes, std::size_t chunkSize, Ms gap) {
    if (chunkSize == 0)
        chunkSize = bytes.size();
    while (!bytes.empty()) {
        const auto piece = bytes.substr(0, chunkSize);
        write(piece);
        bytes.remove_prefix(piece.size());
        if (!bytes.empty())
            std::this_thread::sleep_for(gap);
    }
}

void PtyPeer::onReceive(std::string text, std::string reply) {
    std::lock_guard lock(mutex_);
    rules_.push_back({std::move(text), std::move(reply), received_.size()});
}

PtyPeer::Clock::time_point PtyPeer::lastWriteTime() const {
    std::lock_guard lock(mutex_);
    return lastWrite_;
}

PtyPeer::LineSettings PtyPeer::lineSettings() const {
    termios t{};
    {
        std::lock_guard lock(writeMutex_);
        if (slave_ < 0 || tcgetattr(slave_, &t) != 0)
            fail("tcgetattr");
    }
    LineSettings s;
    s.baud = speedValue(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
        case CS5:
            s.dataBits = 5;
            break;
        case CS6:
            s.dataBits = 6;
            break;
        case CS7:
            s.dataBits = 7;
            break;
        default:
            s.dataBits = 8;
            break;
    }
    if (t.c_cflag & PARENB) {
        const bool odd = t.c_cflag & PARODD;
        if (t.c_cflag & CMSPAR)
            s.parity = odd ? 'M' : 'S';
        else
            s.parity = odd ? 'O' : 'E';
    }
    s.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    s.crtscts = t.c_cflag & CRTSCTS;
    s.ixon = t.c_iflag & IXON;
    s.ixoff = t.c_iflag & IXOFF;
    s.clocal = t.c_cflag & CLOCAL;
    s.cread = t.c_cflag & CREAD;
    s.raw = !(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) && !(t.c_oflag & OPOST) &&
            !(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP));
    return s;
}

void PtyPeer::hangUp() {
    std::unique_lock lock(mutex_);
    if (hungUp_)
        return;
    command_ = Command::HangUp;
    const std::uint64_t one = 1;
    [[maybe_unused]] auto r = ::write(control_, &one, sizeof one);
    arrived_.wait(lock, [this] { return hungUp_; });
}

}  // namespace sk::test
