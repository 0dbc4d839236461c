#include <memory>

#include "serial/win32/discovery_win32.h"
#include "ui/system_port_enumerator.h"

namespace sk {

std::unique_ptr<PortEnumerator> MakeSystemPortEnumerator() {
    return std::make_unique<SetupApiPortEnumerator>();
}

}  // namespace sk
