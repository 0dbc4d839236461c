#include "serial/port_discovery.h"

#include <algorithm>

namespace sk {

bool IsClockAdapter(std::string_view identifier) {
    return identifier.find("PID_6001") != std::string_view::npos ||
           identifier.find("pid_6001") != std::string_view::npos;
}

SelectorContents RefreshSelector(std::string_view currentText,
                                 const std::vector<DiscoveredPort>& ports) {
    SelectorContents result;
    int adapterIndex = -1;
    for (const DiscoveredPort& port : ports) {
        std::string plain = port.name + std::string(kSerialPortLabel);
        // A port reported twice (e.g. by two sources) is still listed once.
        if (std::find(result.items.begin(), result.items.end(), plain) != result.items.end()) {
            continue;
        }
        result.items.push_back(std::move(plain));
        if (IsClockAdapter(port.identifier)) {
            result.items.push_back(port.name + std::string(kAdapterLabel));
            if (adapterIndex < 0) {
                adapterIndex = static_cast<int>(result.items.size()) - 1;
            }
        }
    }
    if (adapterIndex >= 0) {
        result.selectedIndex = adapterIndex;
    } else if (auto it = std::find(result.items.begin(), result.items.end(), currentText);
               it != result.items.end()) {
        result.selectedIndex = static_cast<int>(it - result.items.begin());
    } else if (!result.items.empty()) {
        result.selectedIndex = 0;
    }
    return result;
}

}  // namespace sk
