#include "fake_clock_host.h"

namespace sk::test {

void FakeClockHost::SetSelectorItems(const std::vector<std::string>& items, int selectedIndex) {
    selectorItems = items;
    selectorIndex = selectedIndex;
    if (selectedIndex >= 0 && selectedIndex < static_cast<int>(items.size())) {
        selectorText = items[static_cast<std::size_t>(selectedIndex)];
    } else {
        selectorIndex = -1;
    }
}

void FakeClockHost::ShowClockFound(const std::string& text) {
    clockFoundText = text;
    clockFoundShown = true;
}

void FakeClockHost::ProcessPendingEvents() {
    ++pumpCalls;
    if (pump) {
        pump();
    }
}

void FakeClockHost::WaitForEvents() {
    ++pumpCalls;
    if (waitAndPump) {
        waitAndPump();
    } else if (pump) {
        pump();
    }
}

bool FakeClockHost::Confirm(const std::string& text) {
    questions.push_back(text);
    if (confirmAnswers.empty()) {
        return false;
    }
    bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

void FakeClockHost::Choose(int index) {
    selectorIndex = index;
    selectorText = selectorItems.at(static_cast<std::size_t>(index));
}

void FakeClockHost::Type(const std::string& text) {
    selectorIndex = -1;
    selectorText = text;
}

}  // namespace sk::test
