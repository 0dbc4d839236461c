#include <langinfo.h>
#include <sys/time.h>

#include <clocale>
#include <ctime>
#include <string_view>

#include "support/platform_time.h"

namespace sk {

LocalTime platformLocalTime() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm tm{};
    time_t secs = tv.tv_sec;
    localtime_r(&secs, &tm);
    return LocalTime{tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(tv.tv_usec / 1000)};
}

char platformTimeSeparator() {
    // The time format of LC_TIME, e.g. "%H:%M:%S" or "%H.%M.%S": the first
    // character after the hour directive is the separator.
    std::setlocale(LC_TIME, "");
    std::string_view fmt = nl_langinfo(T_FMT);
    for (std::size_t i = 0; i + 2 < fmt.size(); ++i) {
        if (fmt[i] == '%' &&
            (fmt[i + 1] == 'H' || fmt[i + 1] == 'I' || fmt[i + 1] == 'k' || fmt[i + 1] == 'l')) {
            char c = fmt[i + 2];
            if (c != '%' && c != ' ') {
                return c;
            }
        }
    }
    return ':';
}

}  // namespace sk
