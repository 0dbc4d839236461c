#pragma once
// The task tests' fixture: a ClockConnection on a pty clock peer that records
// each write the task makes and the pauses that follow it.
#include <ostream>
#include <string>
#include <vector>

#include "protocol/connection_fixture.h"

namespace sk::test {

// One write and the pause that follows it; a leading step with no bytes holds
// pauses made before the first write.
struct Step {
    std::string bytes;
    int pauseAfterMs = 0;
    friend bool operator==(const Step&, const Step&) = default;
    friend void PrintTo(const Step& s, std::ostream* os) {
        *os << "{\"" << s.bytes << "\", " << s.pauseAfterMs << "}";
    }
};
using Steps = std::vector<Step>;

inline Steps operator+(Steps a, const Steps& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class TaskFixture : public ConnectionFixture {
  protected:
    TaskFixture() {
        steps_.OnTxBuf = [this](TCustomSerialPort&, const char* buffer, int count) {
            steps.push_back({std::string(buffer, static_cast<std::size_t>(count)), 0});
        };
        conn->com1().RegisterLink(&steps_);
        pacer.onSleep = [this](int ms) {
            if (steps.empty()) {
                steps.push_back({"", 0});
            }
            steps.back().pauseAfterMs += ms;
        };
        host.selectorText = PlainEntry();
    }
    ~TaskFixture() override { conn->com1().UnRegisterLink(&steps_); }

    // Every byte written, in one string.
    std::string AllWritten() const {
        std::string all;
        for (const Step& s : steps) {
            all += s.bytes;
        }
        return all;
    }

    Steps steps;

  private:
    TSerialLink steps_;
};

}  // namespace sk::test
