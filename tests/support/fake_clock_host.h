#pragma once
// A ClockHost for tests: plain fields for the selector, the labels and the log
// that the code under test reads and writes, and hooks for the event pump.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "protocol/clock_host.h"
#include "serial/port_discovery.h"

namespace sk::test {

class FakeClockHost : public ClockHost {
  public:
    std::string SelectorText() override { return selectorText; }
    std::vector<std::string> SelectorItems() override { return selectorItems; }
    int SelectorIndex() override { return selectorIndex; }
    void SetSelectorItems(const std::vector<std::string>& items, int selectedIndex) override;
    void AppendLog(const std::string& line) override { log.push_back(line); }
    void ClearLog() override { log.clear(); }
    void SetStatusText(const std::string& text) override { statusText = text; }
    void ShowClockFound(const std::string& text) override;
    void ShowStartPage() override { ++startPageShown; }
    void ProcessPendingEvents() override;
    void WaitForEvents() override;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    // Answers from confirmAnswers in order (No when none is left).
    bool Confirm(const std::string& text) override;

    // The operator picks an entry of the list, or types a text.
    void Choose(int index);
    void Type(const std::string& text);

    std::string selectorText = "Koble til klokken...";
    std::vector<std::string> selectorItems;
    int selectorIndex = -1;
    std::vector<std::string> log;
    std::string statusText = "Tovik timing system";
    std::string clockFoundText;
    bool clockFoundShown = false;
    int startPageShown = 0;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> confirmAnswers;

    // What ProcessPendingEvents / WaitForEvents do (e.g. pump a
    // MainThreadQueue); nothing when unset.
    std::function<void()> pump;
    std::function<void()> waitAndPump;
    int pumpCalls = 0;
};

// The window's port list source in tests: reports whatever `ports` holds.
class FakePortEnumerator : public PortEnumerator {
  public:
    std::vector<DiscoveredPort> Enumerate() override {
        ++runs;
        return ports;
    }
    std::vector<DiscoveredPort> ports;
    int runs = 0;
};

}  // namespace sk::test
