#include "serial/posix/serial_device_posix.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

#include "serial/serial_error.h"

namespace sk {

namespace {

constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;
// How often a watch that must not consume unread input looks for more bytes.
constexpr int kUnreadRecheckMs = 50;

speed_t standardSpeed(std::uint32_t rate) {
    switch (rate) {
        case 110:
            return B110;
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        case 460800:
            return B460800;
        case 921600:
            return B921600;
        default:
            return B0;
    }
}

bool isDeviceGoneError(int err) {
    return err == EIO || err == ENXIO || err == ENODEV;
}

// Modem-line ioctls on a pty fail this way: a pty has no modem lines.
bool isNoModemLines(int err) {
    return err == ENOTTY || err == EINVAL;
}

[[noreturn]] void raise(int number, int err) {
    throw ESerialPort(number, posixErrorCode(err));
}

}  // namespace

std::unique_ptr<SerialDevice> makePlatformSerialDevice() {
    return std::make_unique<PosixSerialDevice>();
}

int posixErrorCode(int err) {
    return err;
}

std::string posixDevicePath(const std::string& name) {
    std::string n = name;
    while (!n.empty() && n.back() == ' ')
        n.pop_back();
    if (n.empty())
        return n;
    if (n[0] == '/')
        return n;
    if (n.size() > 3 && n.size() <= 8 && (n[0] == 'C' || n[0] == 'c') &&
        (n[1] == 'O' || n[1] == 'o') && (n[2] == 'M' || n[2] == 'm') &&
        std::all_of(n.begin() + 3, n.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const long number = std::stol(n.substr(3));
        if (number >= 1)
            return "/dev/ttyS" + std::to_string(number - 1);
    }
    return "/dev/" + n;
}

void PosixSerialDevice::open(const std::string& name) {
    close();
    const std::string path = posixDevicePath(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        raise(seOpenFail, errno);
    auto fail = [fd](int err) {
        ::close(fd);
        raise(seOpenFail, err);
    };
    // Never configure or write to something that is not a terminal.
    if (!isatty(fd))
        fail(ENOTTY);
    // Both locks are needed: TIOCEXCL makes the kernel refuse further opens of
    // the tty, but not to root; flock holds against root too, but only for
    // programs that take it. Together no second writer gets onto the line.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        fail(errno);
    if (ioctl(fd, TIOCEXCL) != 0)
        fail(errno);
    if (tcgetattr(fd, &saved_) != 0) {
        const int err = errno;
        ioctl(fd, TIOCNXCL);
        fail(err);
    }
    const int stop = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stop < 0) {
        const int err = errno;
        ioctl(fd, TIOCNXCL);
        fail(err);
    }
    fd_ = fd;
    stopFd_ = stop;
    haveSaved_ = true;
    stashed_ = false;
    firstConfiguration_ = true;
    gone_ = false;
    goneReported_ = false;
    countersSupported_ = readCounters(reported_);
}

void PosixSerialDevice::close() noexcept {
    if (fd_ >= 0) {
        ioctl(fd_, TIOCNXCL);
        if (haveSaved_)
            tcsetattr(fd_, TCSANOW, &saved_);
        ::close(fd_);
        fd_ = -1;
    }
    if (stopFd_ >= 0) {
        ::close(stopFd_);
        stopFd_ = -1;
    }
    haveSaved_ = false;
}

void PosixSerialDevice::applyBuffers(int inputSize, int outputSize) {
    // The tty layer has fixed queues; the sizes are only checked.
    if (fd_ < 0)
        raise(seSetupComm, EBADF);
    if (inputSize < 0 || outputSize < 0)
        raise(seSetupComm, EINVAL);
}

void PosixSerialDevice::applyLineState(const LineState& s) {
    if (fd_ < 0)
        raise(seSetState, EBADF);
    struct termios t {};
    if (tcgetattr(fd_, &t) != 0)
        raise(seSetState, errno);

    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK | IGNPAR);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD;
    switch (s.byteSize) {
        case 5:
            t.c_cflag |= CS5;
            break;
        case 6:
            t.c_cflag |= CS6;
            break;
        case 7:
            t.c_cflag |= CS7;
            break;
        case 8:
            t.c_cflag |= CS8;
            break;
        default:
            raise(seSetState, EINVAL);
    }
    switch (s.parity) {
        case 0:
            break;
        case 1:
            t.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            t.c_cflag |= PARENB;
            break;
        case 3:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case 4:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            raise(seSetState, EINVAL);
    }
    if (s.fParity)
        t.c_iflag |= INPCK;
    // With five data bits the UART reads CSTOPB as one and a half stop bits.
    if (s.stopBits == 1 || s.stopBits == 2)
        t.c_cflag |= CSTOPB;
    if (s.fOutxCtsFlow || s.fRtsControl == 2)
        t.c_cflag |= CRTSCTS;
    if (s.fOutX)
        t.c_iflag |= IXON;
    if (s.fInX)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(s.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.xoffChar);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;

    if (s.baudRate == 0)
        raise(seSetState, EINVAL);
    const speed_t speed = standardSpeed(s.baudRate);
    if (speed != B0) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }
    if (tcsetattr(fd_, TCSANOW, &t) != 0)
        raise(seSetState, errno);
    if (speed == B0 && !setCustomBaudRate(fd_, s.baudRate))
        raise(seSetState, errno);
    if (firstConfiguration_) {
        // Whatever reached the tty before it was raw is line noise, not a reply.
        tcflush(fd_, TCIFLUSH);
        firstConfiguration_ = false;
    }

    setModemLine(TIOCM_DTR, s.fDtrControl != 0);
    // With RTS handshake the driver moves RTS; start with it raised.
    setModemLine(TIOCM_RTS, s.fRtsControl == 1 || s.fRtsControl == 2);

    baud_ = s.baudRate;
    discardNull_ = s.fNull;
    parityCheck_ = s.fParity;
}

void PosixSerialDevice::setModemLine(int bit, bool on) {
    if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) != 0 && !isNoModemLines(errno))
        raise(seSetState, errno);
}

void PosixSerialDevice::applyTimeouts(const CommTimeouts& timeouts) {
    if (fd_ < 0)
        raise(seSetTimeouts, EBADF);
    timeouts_ = timeouts;
}

void PosixSerialDevice::beginWatch(TSerialEvents mask) {
    mask_ = mask;
    std::uint64_t drained = 0;
    while (::read(stopFd_, &drained, sizeof drained) > 0) {
    }
}

void PosixSerialDevice::endWatch() {
    mask_ = {};
}

void PosixSerialDevice::signalStop() {
    const std::uint64_t one = 1;
    while (::write(stopFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void PosixSerialDevice::waitStop() {
    pollfd p{stopFd_, POLLIN, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

bool PosixSerialDevice::readCounters(Counters& out) const {
    serial_icounter_struct c{};
    if (ioctl(fd_, TIOCGICOUNT, &c) != 0)
        return false;
    out = {c.frame, c.overrun, c.parity, c.brk, c.buf_overrun};
    return true;
}

int PosixSerialDevice::waitingBytes() const {
    int n = 0;
    if (ioctl(fd_, FIONREAD, &n) != 0)
        return -1;
    return n + (stashed_ ? 1 : 0);
}

WaitResult PosixSerialDevice::waitEvents(int unread) {
    const bool watchInput = mask_.contains(TSerialEvent::evRxChar);
    auto gone = [this] {
        gone_ = true;
        return WaitResult{WaitResult::Gone, mask_ & TSerialEvents{TSerialEvent::evError}};
    };
    for (;;) {
        pollfd fds[2] = {{fd_, static_cast<short>(watchInput && unread == 0 ? POLLIN : 0), 0},
                         {stopFd_, POLLIN, 0}};
        const int timeout = watchInput && unread > 0 ? kUnreadRecheckMs : -1;
        const int r = ::poll(fds, 2, timeout);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return {WaitResult::Failed, {}};
        }
        if (fds[1].revents != 0)
            return {WaitResult::Stopped, {}};
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))
            return gone();
        if (r == 0) {
            const int n = waitingBytes();
            if (n < 0)
                return isDeviceGoneError(errno) ? gone() : WaitResult{WaitResult::Failed, {}};
            if (n > unread)
                return {WaitResult::Events, {TSerialEvent::evRxChar}};
            continue;
        }
        if (!(fds[0].revents & POLLIN))
            continue;
        int n = waitingBytes();
        if (n < 0)
            return isDeviceGoneError(errno) ? gone() : WaitResult{WaitResult::Failed, {}};
        if (n == 0) {
            // Readable with nothing counted: either end of file (the device went
            // away) or a byte the count missed. One read tells which.
            const ssize_t got = ::read(fd_, &stash_, 1);
            if (got == 0)
                return gone();
            if (got < 0) {
                if (errno == EAGAIN || errno == EINTR)
                    continue;
                return isDeviceGoneError(errno) ? gone() : WaitResult{WaitResult::Failed, {}};
            }
            stashed_ = true;
        }
        TSerialEvents events{TSerialEvent::evRxChar};
        Counters now;
        if (mask_.contains(TSerialEvent::evError) && countersSupported_ && readCounters(now) &&
            !(now == reported_))
            events.insert(TSerialEvent::evError);
        return {WaitResult::Events, events};
    }
}

QueueStatus PosixSerialDevice::queueStatus() {
    if (fd_ < 0)
        raise(seClearComm, EBADF);
    QueueStatus q;
    const int n = waitingBytes();
    if (n < 0 && !gone_)
        raise(seClearComm, errno);
    q.waiting = std::max(n, 0);
    Counters now;
    if (countersSupported_ && readCounters(now)) {
        if (now.frame != reported_.frame)
            q.errors.insert(TSerialError::ceFrame);
        if (now.overrun != reported_.overrun)
            q.errors.insert(TSerialError::ceOverrun);
        if (now.parity != reported_.parity && parityCheck_)
            q.errors.insert(TSerialError::ceRxParity);
        if (now.brk != reported_.brk)
            q.errors.insert(TSerialError::ceBreak);
        if (now.bufOverrun != reported_.bufOverrun)
            q.errors.insert(TSerialError::ceRxOver);
        reported_ = now;
    }
    if (gone_ && !goneReported_) {
        q.errors.insert(TSerialError::ceIO);
        goneReported_ = true;
    }
    return q;
}

int PosixSerialDevice::read(char* buffer, int count) {
    if (fd_ < 0)
        raise(seReadFail, EBADF);
    int got = 0;
    if (stashed_ && count > 0) {
        buffer[got++] = stash_;
        stashed_ = false;
    }
    while (got < count) {
        const ssize_t r = ::read(fd_, buffer + got, static_cast<size_t>(count - got));
        if (r > 0) {
            got += static_cast<int>(r);
        } else if (r == 0) {
            gone_ = true;
            break;
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN) {
            break;
        } else if (isDeviceGoneError(errno)) {
            gone_ = true;
            break;
        } else {
            raise(seReadFail, errno);
        }
    }
    if (discardNull_)
        got = static_cast<int>(std::remove(buffer, buffer + got, '\0') - buffer);
    return got;
}

int PosixSerialDevice::write(const char* data, int count) {
    if (fd_ < 0)
        raise(seWriteFail, EBADF);
    using Clock = std::chrono::steady_clock;
    const std::uint64_t limitMs =
        std::uint64_t{timeouts_.writeTotalTimeoutMultiplier} * static_cast<std::uint64_t>(count) +
        timeouts_.writeTotalTimeoutConstant;
    // Both zero means no time bound, as with the platform's timeout record.
    const bool bounded =
        timeouts_.writeTotalTimeoutMultiplier != 0 || timeouts_.writeTotalTimeoutConstant != 0;
    const bool endless = !bounded || timeouts_.writeTotalTimeoutConstant == kMaxDword ||
                         timeouts_.writeTotalTimeoutMultiplier == kMaxDword;
    const Clock::time_point deadline =
        endless
            ? Clock::time_point::max()
            : Clock::now() + std::chrono::milliseconds(std::min<std::uint64_t>(limitMs, INT_MAX));
    auto msLeft = [&]() -> int {
        if (endless)
            return -1;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, INT_MAX));
    };

    // On an early end, what the driver still holds is not sent; on a pty
    // nothing is held (the bytes are already with the peer).
    auto earlyEnd = [this](int written) {
        int queued = 0;
        if (ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0) {
            tcflush(fd_, TCOFLUSH);
            written = std::max(0, written - queued);
        }
        return written;
    };

    int written = 0;
    while (written < count) {
        const ssize_t r = ::write(fd_, data + written, static_cast<size_t>(count - written));
        if (r > 0) {
            written += static_cast<int>(r);
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && errno != EAGAIN)
            raise(seWriteFail, errno);
        const int wait = msLeft();
        if (wait == 0)
            return earlyEnd(written);
        pollfd p{fd_, POLLOUT, 0};
        const int pr = ::poll(&p, 1, wait);
        if (pr < 0 && errno != EINTR)
            raise(seWriteFail, errno);
        if (pr == 0)
            return earlyEnd(written);
    }

    // Wait until the bytes have left the driver. tcdrain has no time bound, so
    // watch the output queue instead, sleeping about as long as the line needs.
    for (;;) {
        int queued = 0;
        if (ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0)
            return written;
        const int wait = msLeft();
        if (wait == 0)
            return earlyEnd(written);
        const long long lineMs =
            static_cast<long long>(queued) * 11 * 1000 / std::max<std::uint32_t>(baud_, 1) + 1;
        const long long sleepMs = wait < 0 ? lineMs : std::min<long long>(lineMs, wait);
        std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
    }
}

void PosixSerialDevice::purge(unsigned flags) {
    if (fd_ < 0)
        raise(sePurgeFail, EBADF);
    // A write has drained (or flushed its rest) before WriteString returns,
    // so there is never a transfer to abort nor output to clear; flushing the
    // output of a pty would even drop bytes the peer has not read yet.
    if (!(flags & purgeRxClear))
        return;
    stashed_ = false;
    if (tcflush(fd_, TCIFLUSH) != 0)
        raise(sePurgeFail, errno);
}

ModemStatus PosixSerialDevice::modemStatus() {
    if (fd_ < 0)
        raise(seModemStatus, EBADF);
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0) {
        if (isNoModemLines(errno))
            return {};
        raise(seModemStatus, errno);
    }
    return {(bits & TIOCM_CTS) != 0, (bits & TIOCM_DSR) != 0, (bits & TIOCM_RNG) != 0,
            (bits & TIOCM_CAR) != 0};
}

}  // namespace sk
