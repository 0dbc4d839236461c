#pragma once
// The port enumerator of the platform the program runs on (chosen in CMake).
#include <memory>

#include "serial/port_discovery.h"

namespace sk {

std::unique_ptr<PortEnumerator> MakeSystemPortEnumerator();

}  // namespace sk
