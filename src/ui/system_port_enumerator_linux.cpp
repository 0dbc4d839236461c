#include <memory>

#include "serial/posix/discovery_linux.h"
#include "ui/system_port_enumerator.h"

namespace sk {

std::unique_ptr<PortEnumerator> MakeSystemPortEnumerator() {
    return std::make_unique<SysfsPortEnumerator>();
}

}  // namespace sk
