#pragma once
// What the protocol and the tasks need from the main window. TForm1 implements
// it with Qt widgets; tests implement it with a fake that records every call.
//
// Threads: every member is called on the main thread only.
// Text: every string is 8-bit CP1252 as it travels on the wire; the window
// converts to and from its own text type.
// Errors: no member raises; a window that cannot show something drops it.
#include <string>
#include <vector>

namespace sk {

class ClockHost {
  public:
    virtual ~ClockHost() = default;

    // The port selector `cbserieporter`: its current (editable) text, its
    // entries, and the selected entry (-1 when none is selected).
    virtual std::string SelectorText() = 0;
    virtual std::vector<std::string> SelectorItems() = 0;
    virtual int SelectorIndex() = 0;
    // Replaces the entries. selectedIndex >= 0 selects that entry (and so
    // sets the text to it); -1 keeps the current text as it is. Must not
    // call back into cbserieporterChange: the change handler belongs to the
    // operator's edits, not to the list refresh.
    virtual void SetSelectorItems(const std::vector<std::string>& items, int selectedIndex) = 0;

    // The transfer log `Memo1`: appends one line / empties it.
    virtual void AppendLog(const std::string& line) = 0;
    virtual void ClearLog() = 0;

    // The status label `lbserial` in the bottom bar.
    virtual void SetStatusText(const std::string& text) = 0;
    // Sets the text of `lbfunnet` on the start page and shows it (it stays shown).
    virtual void ShowClockFound(const std::string& text) = 0;
    // Shows the first page of the window (the start page).
    virtual void ShowStartPage() = 0;

    // Handles the window events that are pending (received packets, the
    // timer); returns at once when there are none.
    virtual void ProcessPendingEvents() = 0;
    // Blocks until at least one window event arrives, then handles what is
    // pending. Never spins: the thread sleeps while nothing happens.
    virtual void WaitForEvents() = 0;

    // A message box with an OK button; returns when the operator closed it.
    virtual void ShowMessage(const std::string& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool Confirm(const std::string& text) = 0;
};

}  // namespace sk
