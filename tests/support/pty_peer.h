#pragma once
// PtyPeer: the far end of a serial line for tests, on a pseudo-terminal. Hand
// slavePath() to a port as its Port; the peer records every byte the port
// writes (with the time it arrived), writes replies (whole, or split into
// chunks with gaps), answers by rule, reports the line settings the port put
// on the slave, and can hang up to play an unplugged adapter.
//
// Threads: a reader thread owns the master side's input; every public member
// may be called from any thread. Errors: setup failures throw
// std::runtime_error; write failures after hangUp() are ignored.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace sk::test {

class PtyPeer {
  public:
    using Clock = std::chrono::steady_clock;
    using Ms = std::chrono::milliseconds;

    struct Chunk {
        Clock::time_point at;
        std::string bytes;
    };

    // What tcgetattr on the slave shows.
    struct LineSettings {
        int baud = 0;  // 0 when the rate has no standard constant
        int dataBits = 0;
        char parity = 'N';  // N, O, E, M (mark), S (space)
        int stopBits = 1;
        bool crtscts = false;
        bool ixon = false;
        bool ixoff = false;
        bool clocal = false;
        bool cread = false;
        bool raw = false;  // no canonical mode, echo, signals or output processing
    };

    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& slavePath() const { return slavePath_; }

    // --- what the port wrote
    std::string received() const;
    std::vector<Chunk> chunks() const;
    void clearReceived();
    // Block until pred(received()) holds; false on timeout.
    bool waitFor(const std::function<bool(const std::string&)>& pred, Ms timeout = Ms(2000));
    bool waitForBytes(std::size_t count, Ms timeout = Ms(2000));
    bool waitForText(std::string_view text, Ms timeout = Ms(2000));

    // --- what the port will read
    void write(std::string_view bytes);
    // In pieces of `chunkSize` bytes with `gap` between them.
    void write(std::string_view bytes, std::size_t chunkSize, Ms gap);
    // Whenever `text` arrives (each occurrence once), reply with `reply`.
    void onReceive(std::string text, std::string reply);
    // Time of the last byte written by write().
    Clock::time_point lastWriteTime() const;

    LineSettings lineSettings() const;

    // Closes the master side: the port sees its device vanish.
    void hangUp();

  private:
    void readLoop();

    int master_ = -1;
    int slave_ = -1;    // kept open so the line lives between the port's opens
    int control_ = -1;  // wakes the reader for a command
    std::string slavePath_;

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Chunk> chunks_;
    std::string received_;
    struct Rule {
        std::string text;
        std::string reply;
        std::size_t scanFrom = 0;
    };
    std::vector<Rule> rules_;
    Clock::time_point lastWrite_{};
    enum class Command { None, HangUp, Stop } command_ = Command::None;
    bool hungUp_ = false;
    mutable std::mutex writeMutex_;  // guards master_ and slave_ against the reader's close
    std::thread reader_;
};

}  // namespace sk::test
