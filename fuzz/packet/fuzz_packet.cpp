// Feeds TSerialPacket arbitrary chunk sequences interleaved with property
// changes and custom search handlers that report arbitrary positions. Beyond
// memory safety it checks that no byte is lost or duplicated: while the
// strings are kept in packets, everything handed out plus the buffer is
// exactly what came in, in order.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "serial/serial_packet.h"

namespace {

struct Positions {
    std::vector<int> values;
    size_t next = 0;
    int take() { return values.empty() ? -1 : values[next++ % values.size()]; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    sk::TSerialPacket packet;
    packet.SetIncludeStrings(true);
    std::string input;
    std::string output;
    bool conserving = true;  // false once strings may be stripped or loading reorders
    packet.OnPacket = [&](sk::TSerialPacket&, const std::string& s) { output += s; };
    packet.OnDiscard = [&](sk::TSerialPacket&, const std::string& s) { output += s; };
    Positions starts, stops;

    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 12)) {
            case 0:
            case 1:
            case 2:
            case 3: {
                const std::string chunk = in.ConsumeRandomLengthString(96);
                input += chunk;
                packet.AddChunk(chunk);
                break;
            }
            case 4:
                packet.SetStartString(in.ConsumeRandomLengthString(4));
                break;
            case 5:
                packet.SetStopString(in.ConsumeRandomLengthString(4));
                break;
            case 6:
                packet.SetSize(in.ConsumeIntegralInRange<int>(-2, 40));
                break;
            case 7:
                packet.SetCaseInsensitive(in.ConsumeBool());
                break;
            case 8:
                packet.SetMaxBufferSize(in.ConsumeIntegralInRange<int>(-1, 300));
                break;
            case 9:
                packet.SetIncludeStrings(in.ConsumeBool());
                if (!packet.IncludeStrings())
                    conserving = false;
                break;
            case 10: {
                Positions& target = in.ConsumeBool() ? starts : stops;
                target.values.clear();
                const int n = in.ConsumeIntegralInRange<int>(0, 4);
                for (int i = 0; i < n; ++i)
                    target.values.push_back(in.ConsumeIntegralInRange<int>(-3, 200));
                break;
            }
            case 11:
                if (in.ConsumeBool()) {
                    packet.OnCustomStart = [&](sk::TSerialPacket&, const std::string&, int& pos) {
                        pos = starts.take();
                    };
                } else {
                    packet.OnCustomStart = nullptr;
                }
                if (in.ConsumeBool()) {
                    packet.OnCustomStop = [&](sk::TSerialPacket&, const std::string&, int& pos) {
                        pos = stops.take();
                    };
                } else {
                    // Dropping the only stop condition keeps the buffer, and
                    // later chunks pass it by: order is no longer kept.
                    if (packet.OnCustomStop && !packet.Buffer().empty())
                        conserving = false;
                    packet.OnCustomStop = nullptr;
                }
                break;
            case 12:
                // Writes while loading keep text that may then be overtaken.
                if (packet.Loading()) {
                    packet.EndLoading();
                } else {
                    packet.BeginLoading();
                    conserving = false;
                }
                break;
        }
    }
    if (conserving && output + packet.Buffer() != input)
        std::abort();
    if (output.size() + packet.Buffer().size() > input.size())
        std::abort();
    return 0;
}
