// SetupAPI discovery against the fake devices of fake_ports.reg: COM5, an
// ordinary port of the Ports class, and COM6, the clock's adapter, registered
// under both the Ports and the COM-port interface classes.
#include <gtest/gtest.h>

#include <algorithm>

#include "serial/port_discovery.h"
#include "serial/win32/discovery_win32.h"

namespace sk {
namespace {

TEST(SetupApiPortEnumerator, ListsEachRegisteredPortOnceWithItsInterfacePath) {
    ASSERT_TRUE(SetupApiBound());
    SetupApiPortEnumerator enumerator;
    const std::vector<DiscoveredPort> ports = enumerator.Enumerate();

    std::vector<std::string> names;
    for (const DiscoveredPort& p : ports)
        names.push_back(p.name);
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ((std::vector<std::string>{"COM5", "COM6"}), sorted);

    for (const DiscoveredPort& p : ports) {
        SCOPED_TRACE(p.name + " " + p.identifier);
        EXPECT_EQ(p.name == "COM6", IsClockAdapter(p.identifier));
        // An interface path, of the Ports class (listed first).
        EXPECT_EQ(0u, p.identifier.find("\\\\?\\"));
    }
}

TEST(SetupApiPortEnumerator, TheSelectorListsThePortsAndPreselectsTheAdapterEveryRun) {
    SetupApiPortEnumerator enumerator;
    SelectorContents first = RefreshSelector("Koble til klokken...", enumerator.Enumerate());
    SelectorContents second = RefreshSelector("COM5 Serial port", enumerator.Enumerate());
    for (const SelectorContents* run : {&first, &second}) {
        ASSERT_EQ(3u, run->items.size());
        ASSERT_GE(run->selectedIndex, 0);
        EXPECT_EQ("COM6 Tovik USB TIMER ", run->items[static_cast<size_t>(run->selectedIndex)]);
        EXPECT_NE(run->items.end(),
                  std::find(run->items.begin(), run->items.end(), "COM5 Serial port"));
    }
}

}  // namespace
}  // namespace sk
