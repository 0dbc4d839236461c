#pragma once
// The transfer through the real window (TForm1 offscreen, Qt's event
// handling after every character), when the window is built.
#include <cstddef>
#include <string>

namespace sk::bench {

// Sends the list at `listPath` (`listBytes` long) `runs` times with delay 0
// and prints the median time beyond `fixedPausesMs` and the process's CPU.
void benchWindowSend(const std::string& listPath, std::size_t listBytes, int runs,
                     int fixedPausesMs);

}  // namespace sk::bench
