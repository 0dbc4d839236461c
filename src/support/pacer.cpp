#include "support/pacer.h"

#include <chrono>
#include <thread>

#include "support/platform_time.h"

namespace sk {

void SystemPacer::sleep(int ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

LocalTime SystemPacer::now() {
    return platformLocalTime();
}

}  // namespace sk
