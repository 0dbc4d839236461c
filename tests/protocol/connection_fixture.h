#pragma once
// A ClockConnection wired to fakes and a pty clock peer, as the protocol and
// task tests use it.
#include <gtest/gtest.h>

#include <memory>

#include "fake_clock_host.h"
#include "fake_timer.h"
#include "main_thread_queue.h"
#include "protocol/clock_connection.h"
#include "pty_peer.h"
#include "recording_pacer.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"

namespace sk::test {

class ConnectionFixture : public ::testing::Test {
  protected:
    ConnectionFixture() {
        conn = std::make_unique<ClockConnection>(host, pacer, timer, ports);
        queue.attach(conn->com1());
        host.pump = [this] { queue.pump(); };
        host.selectorText = "Koble til klokken...";
        // The peer reads on a thread of its own: before each close, wait
        // until it has every byte written so far, so a test sees all writes
        // whatever the close does with the driver's queues.
        written_.OnTxBuf = [this](TCustomSerialPort&, const char*, int count) {
            writtenBytes_ += static_cast<std::size_t>(count);
        };
        conn->com1().RegisterLink(&written_);
        conn->com1().OnBeforeClose = [this](TCustomSerialPort&) {
            EXPECT_TRUE(peer.waitForBytes(writtenBytes_)) << "peer missed bytes";
        };
    }
    ~ConnectionFixture() override {
        // The queue forgets the port before it goes; Close serves a pending
        // hand-over by itself.
        queue.detach(conn->com1());
        conn->com1().UnRegisterLink(&written_);
        conn.reset();
    }

    // The peer as an ordinary port / as the clock's adapter.
    DiscoveredPort PlainPort() const { return {peer.slavePath(), "SERIAL\\pty"}; }
    DiscoveredPort AdapterPort() const {
        return {peer.slavePath(), "USB\\VID_0403&PID_6001\\PTY0001"};
    }
    std::string PlainEntry() const { return peer.slavePath() + " Serial port"; }
    std::string AdapterEntry() const { return peer.slavePath() + " Tovik USB TIMER "; }

    // Every write the port made so far, waiting for `text` to arrive first.
    std::string ReceivedAfter(std::string_view text) {
        EXPECT_TRUE(peer.waitForText(text)) << "waiting for " << text;
        return peer.received();
    }

    TSerialLink written_;
    std::size_t writtenBytes_ = 0;
    PtyPeer peer;
    FakeClockHost host;
    RecordingPacer pacer;
    FakeTimer timer;
    FakePortEnumerator ports;
    MainThreadQueue queue;
    std::unique_ptr<ClockConnection> conn;
};

}  // namespace sk::test
