#pragma once
// Port discovery on Windows through the device-setup interface.
//
// "SetupApi.dll" is loaded by name and only the five functions the listing
// needs are looked up, once per process; when the library or one of them is
// missing, Enumerate lists nothing. The registry functions are ordinary
// imports.
//
// Enumerate walks the present devices of the Ports interface class
// {4D36E978-E325-11CE-BFC1-08002BE10318} and of the COM-port interface class
// {86E0D1E0-8089-11D0-9CE4-08003E301F73} (many USB serial drivers register
// only the latter), in that order. Each port is the device's "PortName"
// registry value; the identifier is the interface path, which is what the
// adapter test looks at. A port name met twice is listed once (the first
// time); an interface whose details or port name cannot be read is left out.
//
// Nothing raises. Threads: one Enumerate at a time per object.
#include <string>
#include <vector>

#include "serial/port_discovery.h"

namespace sk {

class SetupApiPortEnumerator : public PortEnumerator {
  public:
    std::vector<DiscoveredPort> Enumerate() override;
};

// True once SetupApi.dll and every function the listing uses are bound.
bool SetupApiBound();

}  // namespace sk
