#pragma once
// TForm1: the program's only window. It is built from form1.ui (every control
// under the name the clock's documentation uses), owns the connection to the
// clock (ClockConnection, which owns com1 and SerialPacket1..3) and Timer1,
// and is the ClockHost through which the protocol and the tasks reach the
// window.
//
// Handlers: the methods named after a control and an event are the window's
// handlers. They are thin: they gather what a task needs from the controls
// and call into protocol/ and tasks/. Every handler started by the window
// (a click, a change, activation, the timer, a received packet) runs through
// one guard: an exception it lets out ends it and shows the error box
// (application title, the message with the "." rule); the program goes on.
// Called directly (as tests do), handlers raise as usual.
//
// Activation: FormActivate runs when the window is first activated and each
// time it becomes active again after another window of this program (a
// message box, a dialog) had the focus; not when the operator returns from
// another program. After a failed FormActivate the return from its own error
// box does not start it again (that would repeat the error box for ever).
//
// Threads: main thread only. The serial event thread reaches the window only
// through the main-thread wake, a queued call into the event loop that runs
// com1's hand-over; it is dropped once the window is gone.
#include <QPointer>
#include <QWidget>
#include <memory>

#include "protocol/clock_host.h"

class QWindow;

namespace Ui {
class Form1;
}

namespace sk {

class ClockConnection;
class HelpWindow;
class MessageBoxes;
class Pacer;
class PortEnumerator;
class QtTimeoutTimer;
class TLanguageTable;

// What the window uses from outside; null members get the real thing (the
// system clock, the platform's port list, Qt's message boxes). Injected
// objects must outlive the window.
struct FormServices {
    Pacer* pacer = nullptr;
    PortEnumerator* ports = nullptr;
    MessageBoxes* boxes = nullptr;
};

class TForm1 : public QWidget, public ClockHost {
    Q_OBJECT

  public:
    explicit TForm1(FormServices services = FormServices(), QWidget* parent = nullptr);
    ~TForm1() override;

    // The controls, by their names.
    Ui::Form1& ui() { return *ui_; }
    ClockConnection& connection() { return *connection_; }
    QtTimeoutTimer& Timer1() { return *timer1_; }
    MessageBoxes& boxes() { return *boxes_; }

    // --- navigation: each only sets the page
    void Button1Click();     // Button21 "Vanlig oppsett"
    void Button2Click();     // Button22 "Programerte klasser"
    void btjaktClick();      // btjakt "Jaktstart"
    void Button24Click();    // Button24 "Tekst til klokke"
    void Button4Click();     // Button4 "Rulletekst"
    void btAvansertClick();  // btAvansert "Avansert"
    void Button14Click();    // Button14 "Meny"

    // --- languages and help (nothing is saved; the window starts in Norwegian)
    void Button25Click();  // Norwegian flag: SwitchLanguage(0)
    void Button26Click();  // British flag: SwitchLanguage(1)
    void Button10Click();  // "Hjelp": help topic "inn" in the language shown
    // The language component, created and applied as the window loads.
    TLanguageTable& lang() { return *lang_; }
    // The help window once "Hjelp" has opened it, else null; the window owns it.
    HelpWindow* helpWindow() const { return help_; }

    // --- connection handling
    void FormActivate();
    void SpeedButton1Click();    // SpeedButton3 "Søk etter porter"
    void cbserieporterChange();  // every change of the selector's text
    void Button13Click();        // "Avslutt": closes the port, then the window

    // --- ordinary setup
    void BitBtn1Click();   // Button5 "Still likt med PC klokken"
    void BitBtn2Click();   // Button6 "Sett tiden som angitt over"
    void BitBtn3Click();   // Button23 "Oppdater intervall", Button8 "Sett modus"
    void Button17Click();  // "Oppdater lydvalg"

    // --- programmed classes
    void BitBtn10Click();  // Button9 "Overfør klassene"
    void BitBtn12Click();  // Button19 "Hent fra excelfil": loads "Klasser.csv"
    void BitBtn11Click();  // Button20 "Lagre til excelfil": saves "Klasser.csv"

    // --- pursuit-start transfer
    void BitBtn6Click();   // Button18 "Overfør"
    void BitBtn7Click();   // BitBtn7, BitBtn1 "Test"
    void Button15Click();  // "Still likt med PC klokken"
    void Button16Click();  // "Sett tiden som angitt over"

    // --- display text and scroll text
    void BitBtn8Click();   // Button11 "Overfør teksten"
    void Button12Click();  // "Avslutt modus"
    void BitBtn9Click();   // BitBtn9, BitBtn2 "Reset"
    void Button8Click();   // Button7 "Fjern rulleteksten"
    void BitBtn4Click();   // Button3 "Overfør rulleteksten": says that nothing is sent

    // --- flash erase and firmware upload (the image: FirmwareImage::Builtin())
    void SperaseClick();     // "Flasherase"
    void spoppdaterClick();  // spoppdater, SpeedButton1 "Oppdater program"

    // --- ClockHost
    std::string SelectorText() override;
    std::vector<std::string> SelectorItems() override;
    int SelectorIndex() override;
    void SetSelectorItems(const std::vector<std::string>& items, int selectedIndex) override;
    void AppendLog(const std::string& line) override;
    void ClearLog() override;
    void SetStatusText(const std::string& text) override;
    void ShowClockFound(const std::string& text) override;
    void ShowStartPage() override;
    void ProcessPendingEvents() override;
    void WaitForEvents() override;
    void ShowMessage(const std::string& text) override;
    bool Confirm(const std::string& text) override;

    // How many times FormActivate has run (tests and the benchmark).
    int activationCount() const { return activations_; }

  private:
    void applyLook();
    void attachLanguage();
    void fitModeColumn();
    void connectHandlers();
    void installMainThreadWake();
    void onFocusWindowChanged(QWindow* window);
    // Runs a handler through the error guard; false when it raised.
    bool guarded(void (TForm1::*handler)());
    template <class Button>
    void bind(Button* button, void (TForm1::*handler)());

    std::unique_ptr<Ui::Form1> ui_;
    std::unique_ptr<Pacer> ownPacer_;
    std::unique_ptr<PortEnumerator> ownPorts_;
    std::unique_ptr<MessageBoxes> ownBoxes_;
    Pacer* pacer_;
    PortEnumerator* ports_;
    MessageBoxes* boxes_;
    std::unique_ptr<QtTimeoutTimer> timer1_;
    // The receiver of the main-thread wake. It outlives connection_ (whose
    // Close may still wake), and deleting it drops wakes still queued.
    std::unique_ptr<QObject> wakeTarget_;
    std::unique_ptr<ClockConnection> connection_;

    bool refreshingSelector_ = false;
    bool activatedOnce_ = false;
    bool otherOwnWindowHadFocus_ = false;
    bool activating_ = false;
    bool returnSeenWhileActivating_ = false;
    bool skipNextActivation_ = false;
    int activations_ = 0;
    TLanguageTable* lang_ = nullptr;  // owned as a Qt child
    HelpWindow* help_ = nullptr;      // owned as a Qt child
};

}  // namespace sk
