#include <windows.h>

#include "support/platform_time.h"

namespace sk {

LocalTime platformLocalTime() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return LocalTime{st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

char platformTimeSeparator() {
    char buf[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, buf, sizeof buf) > 0 && buf[0] != 0) {
        return buf[0];
    }
    return ':';
}

}  // namespace sk
