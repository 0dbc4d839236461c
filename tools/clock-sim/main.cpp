// startklokke-sim: a virtual start clock on a pseudo-terminal. It publishes
// the pty so the tool's port discovery lists it (as the clock's USB adapter
// unless --plain), prints every command it receives with what changed and
// what the clock would now show, answers "/ID", and acts as the firmware
// loader (answers "+" or "-" per record).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "clock_simulator.h"

namespace {

volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int) {
    stopRequested = 1;
}

void Usage() {
    std::fprintf(stderr,
                 "usage: startklokke-sim [--plain] [--silent] [--hangup-after N] [--id ID]\n"
                 "                       [--reject-record N]... [--silent-record N]...\n"
                 "                       [--publish-dir DIR]\n"
                 "  --plain           publish as an ordinary serial port, not the clock's adapter\n"
                 "  --silent          never answer\n"
                 "  --hangup-after N  hang up after N received bytes\n"
                 "  --id ID           serial number in the identifier (default SIM0001)\n"
                 "  --reject-record N answer \"-\" to firmware record N (from 1) once\n"
                 "  --silent-record N do not answer firmware record N once (it is not written)\n"
                 "  --publish-dir DIR where the port is published\n"
                 "                    (default ${XDG_RUNTIME_DIR:-/tmp}/startklokke-sim)\n");
}

sk::sim::DayMs PcTimeOfDay() {
    auto now = std::chrono::system_clock::now();
    std::time_t secs = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&secs, &local);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    return ((local.tm_hour * 60LL + local.tm_min) * 60 + local.tm_sec) * 1000 + ms.count();
}

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void Print(const std::vector<sk::sim::HandledCommand>& commands, int master, bool silent) {
    for (const auto& command : commands) {
        sk::sim::DayMs now = PcTimeOfDay();
        std::printf("%s  %-22s %-22s %s\n", sk::sim::FormatDayMs(now).c_str(),
                    Printable(command.text).c_str(), command.effect.c_str(), command.shown.c_str());
        for (const auto& line : command.details) {
            std::printf("    %s\n", line.c_str());
        }
        if (!command.reply.empty() && !silent) {
            if (::write(master, command.reply.data(), command.reply.size()) < 0) {
                std::printf("    (reply not sent: %s)\n", std::strerror(errno));
            } else {
                std::printf("    answered %s\n", Printable(command.reply).c_str());
            }
        }
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    bool plain = false;
    bool silent = false;
    long hangupAfter = -1;
    std::string id = "SIM0001";
    sk::sim::LoaderOptions loader;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string publishDir =
        std::string(runtime && *runtime ? runtime : "/tmp") + "/startklokke-sim";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--plain") {
            plain = true;
        } else if (arg == "--silent") {
            silent = true;
        } else if (arg == "--hangup-after" && hasValue) {
            char* end = nullptr;
            hangupAfter = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || hangupAfter < 0) {
                Usage();
                return 2;
            }
        } else if ((arg == "--reject-record" || arg == "--silent-record") && hasValue) {
            char* end = nullptr;
            long n = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < 1) {
                Usage();
                return 2;
            }
            (arg == "--reject-record" ? loader.rejectOnce : loader.silentOnce).insert(n);
        } else if (arg == "--id" && hasValue) {
            id = argv[++i];
        } else if (arg == "--publish-dir" && hasValue) {
            publishDir = argv[++i];
        } else {
            Usage();
            return 2;
        }
    }

    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("startklokke-sim: pseudo-terminal");
        return 1;
    }
    std::string slavePath = ::ptsname(master);
    // Holding the slave open keeps the master readable between the tool's
    // openings (otherwise every read fails with EIO while nobody has it open),
    // and lets us make the line raw before the tool first opens it.
    int slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        std::perror("startklokke-sim: slave");
        return 1;
    }
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);

    ::mkdir(publishDir.c_str(), 0700);
    std::string published = publishDir + "/" + std::to_string(::getpid()) + ".port";
    std::string identifier =
        plain ? "SIM\\" + id : "USB\\VID_0403&PID_6001\\" + id;  // the adapter's ids
    {
        std::string tmp = published + ".tmp";
        FILE* f = std::fopen(tmp.c_str(), "w");
        if (!f) {
            std::perror("startklokke-sim: publish");
            return 1;
        }
        std::fprintf(f, "pid=%ld\npath=%s\nidentifier=%s\n", static_cast<long>(::getpid()),
                     slavePath.c_str(), identifier.c_str());
        std::fclose(f);
        std::rename(tmp.c_str(), published.c_str());  // discovery never sees half a file
    }

    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);

    std::printf("startklokke-sim on %s as %s%s%s\n", slavePath.c_str(), identifier.c_str(),
                silent ? ", silent" : "", plain ? ", plain port" : "");
    std::fflush(stdout);

    sk::sim::ClockSimulator clock(id, loader);
    long received = 0;
    int result = 0;
    while (!stopRequested) {
        pollfd pfd{master, POLLIN, 0};
        // Block until bytes arrive; a half-received variable argument is
        // completed once the line has been quiet for a moment.
        int timeout = clock.WantsFlush() ? 150 : -1;
        int n = ::poll(&pfd, 1, timeout);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::perror("startklokke-sim: poll");
            result = 1;
            break;
        }
        if (n == 0) {
            Print(clock.Flush(PcTimeOfDay()), master, silent);
            continue;
        }
        char buf[512];
        ssize_t got = ::read(master, buf, sizeof buf);
        if (got <= 0) {
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            std::fprintf(stderr, "startklokke-sim: read: %s\n",
                         got == 0 ? "end of file" : std::strerror(errno));
            result = 1;
            break;
        }
        std::size_t take = static_cast<std::size_t>(got);
        bool hangUp = false;
        if (hangupAfter >= 0 && received + got >= hangupAfter) {
            take = static_cast<std::size_t>(hangupAfter - received);
            hangUp = true;
        }
        received += static_cast<long>(take);
        Print(clock.Feed(std::string_view(buf, take), PcTimeOfDay()), master, silent);
        if (hangUp) {
            Print(clock.Flush(PcTimeOfDay()), master, true);
            std::printf("%s  hanging up after %ld bytes%s\n",
                        sk::sim::FormatDayMs(PcTimeOfDay()).c_str(), received,
                        clock.HasPending() ? " (an unfinished line left)" : "");
            std::fflush(stdout);
            break;
        }
    }
    ::unlink(published.c_str());
    ::close(slave);
    ::close(master);
    return result;
}
