#include "ui/form1.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStackedWidget>
#include <QWindow>

#include "protocol/clock_connection.h"
#include "serial/serial_port.h"
#include "support/pacer.h"
#include "ui/message_boxes.h"
#include "ui/qt_timeout_timer.h"
#include "ui/system_port_enumerator.h"
#include "ui/window_fonts.h"
#include "ui_form1.h"

namespace sk {

namespace {

void fillBackground(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

}  // namespace

TForm1::TForm1(FormServices services, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::Form1>()) {
    if (services.pacer == nullptr) {
        ownPacer_ = std::make_unique<SystemPacer>();
    }
    if (services.ports == nullptr) {
        ownPorts_ = MakeSystemPortEnumerator();
    }
    if (services.boxes == nullptr) {
        ownBoxes_ = std::make_unique<QtMessageBoxes>();
    }
    pacer_ = services.pacer ? services.pacer : ownPacer_.get();
    ports_ = services.ports ? services.ports : ownPorts_.get();
    boxes_ = services.boxes ? services.boxes : ownBoxes_.get();

    ui_->setupUi(this);
    applyLook();

    attachLanguage();

    timer1_ = std::make_unique<QtTimeoutTimer>();
    wakeTarget_ = std::make_unique<QObject>();
    connection_ = std::make_unique<ClockConnection>(*this, *pacer_, *timer1_, *ports_);
    installMainThreadWake();
    connectHandlers();

    ui_->PageControl1->setCurrentWidget(ui_->TabSheet1);
    resize(751, 440);
    move(166, 126);
}

TForm1::~TForm1() {
    // The port closes first; its Close may still run a hand-over through the
    // window. Then the wake target goes, and with it any wake still queued.
    connection_.reset();
    wakeTarget_.reset();
}

void TForm1::applyLook() {
    setFont(windowFont());
    fillBackground(this, QPalette::Window, kSkyBlue);
    // The mode column is 168 px wide in the design; where the font is wider
    // than the one it was drawn with, it widens so no mode name is cut.
    const int modeWidth = qMax(ui_->rbModus->width(), ui_->rbModus->sizeHint().width());
    ui_->rbModus->setFixedWidth(modeWidth);
    ui_->Panel34->setFixedWidth(qMax(ui_->Panel34->width(), modeWidth + 2));

    // Labels that show what the clock sent are plain text: a reply is never
    // read as markup.
    ui_->lbserial->setTextFormat(Qt::PlainText);
    ui_->lbfunnet->setTextFormat(Qt::PlainText);

    for (QWidget* w : findChildren<QWidget*>()) {
        // Panels paint their own background, so what lies under them (the
        // controls kept out of sight) stays hidden.
        if (w->objectName().startsWith(QLatin1String("Panel"))) {
            w->setAutoFillBackground(true);
        }
        const QString band = w->property("band").toString();
        if (band.isEmpty()) {
            continue;
        }
        if (band == QLatin1String("title")) {
            fillBackground(w, QPalette::Window, kBandBlue);
            w->setFont(titleFont());
        } else if (band == QLatin1String("subtitle")) {
            fillBackground(w, QPalette::Window, kBandBlue);
            w->setFont(subtitleFont());
        } else if (band == QLatin1String("strip")) {
            fillBackground(w, QPalette::Window, kBandBlue);
        } else if (band == QLatin1String("log")) {
            fillBackground(w, QPalette::Base, kSkyBlue);
        }
    }
}

bool TForm1::guarded(void (TForm1::*handler)()) {
    return runGuarded(this, *boxes_, [this, handler] { (this->*handler)(); });
}

template <class Button>
void TForm1::bind(Button* button, void (TForm1::*handler)()) {
    connect(button, &Button::clicked, this, [this, handler] { guarded(handler); });
}

void TForm1::connectHandlers() {
    bind(ui_->Button21, &TForm1::Button1Click);
    bind(ui_->Button22, &TForm1::Button2Click);
    bind(ui_->btjakt, &TForm1::btjaktClick);
    bind(ui_->Button24, &TForm1::Button24Click);
    bind(ui_->Button4, &TForm1::Button4Click);
    bind(ui_->btAvansert, &TForm1::btAvansertClick);
    bind(ui_->Button14, &TForm1::Button14Click);

    bind(ui_->SpeedButton3, &TForm1::SpeedButton1Click);
    bind(ui_->Button13, &TForm1::Button13Click);
    connect(ui_->cbserieporter, &QComboBox::currentTextChanged, this, [this] {
        // A list refresh by the port search is not the operator's change.
        if (!refreshingSelector_) {
            guarded(&TForm1::cbserieporterChange);
        }
    });

    bind(ui_->Button5, &TForm1::BitBtn1Click);
    bind(ui_->Button6, &TForm1::BitBtn2Click);
    bind(ui_->Button23, &TForm1::BitBtn3Click);
    bind(ui_->Button8, &TForm1::BitBtn3Click);
    bind(ui_->Button17, &TForm1::Button17Click);

    bind(ui_->Button11, &TForm1::BitBtn8Click);
    bind(ui_->Button12, &TForm1::Button12Click);
    bind(ui_->BitBtn9, &TForm1::BitBtn9Click);
    bind(ui_->BitBtn2, &TForm1::BitBtn9Click);
    bind(ui_->Button7, &TForm1::Button8Click);
    bind(ui_->Button3, &TForm1::BitBtn4Click);
    bind(ui_->Sperase, &TForm1::SperaseClick);
    bind(ui_->spoppdater, &TForm1::spoppdaterClick);
    bind(ui_->SpeedButton1, &TForm1::spoppdaterClick);

    bind(ui_->Button9, &TForm1::BitBtn10Click);
    bind(ui_->Button19, &TForm1::BitBtn12Click);
    bind(ui_->Button20, &TForm1::BitBtn11Click);

    bind(ui_->Button18, &TForm1::BitBtn6Click);
    bind(ui_->BitBtn7, &TForm1::BitBtn7Click);
    bind(ui_->BitBtn1, &TForm1::BitBtn7Click);
    bind(ui_->Button15, &TForm1::Button15Click);
    bind(ui_->Button16, &TForm1::Button16Click);

    connect(&timer1_->qtimer(), &QTimer::timeout, this, [this] {
        runGuarded(this, *boxes_, [this] {
            if (timer1_->OnTimer) {
                timer1_->OnTimer();
            }
        });
    });

    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &TForm1::onFocusWindowChanged);
}

void TForm1::installMainThreadWake() {
    QObject* target = wakeTarget_.get();
    TSerialPort* port = &connection_->com1();
    MessageBoxes* boxes = boxes_;
    // Runs on the event thread: only posts. The posted call runs on the main
    // thread inside the event loop (or a task's pumping) and is dropped when
    // the target is deleted, so it never reaches a port that is gone.
    port->SetMainThreadWake([target, port, boxes, this] {
        QMetaObject::invokeMethod(
            target,
            [port, boxes, this] { runGuarded(this, *boxes, [port] { port->ProcessHandOver(); }); },
            Qt::QueuedConnection);
    });
}

void TForm1::onFocusWindowChanged(QWindow* window) {
    if (window == nullptr) {
        // Focus went to another program; that return does not count.
        return;
    }
    if (window != windowHandle()) {
        otherOwnWindowHadFocus_ = true;
        return;
    }
    const bool run = !activatedOnce_ || otherOwnWindowHadFocus_;
    activatedOnce_ = true;
    otherOwnWindowHadFocus_ = false;
    if (!run) {
        return;
    }
    // Queued: the activation may open a message box, which should not start
    // inside the window system's focus notification.
    QMetaObject::invokeMethod(
        this,
        [this] {
            // A failed activation shows its error box; the return from that
            // box must not start the activation again, or the box would come
            // back for ever. The return arrives either while the box is still
            // up (the box's own event loop) or just after it.
            if (activating_) {
                returnSeenWhileActivating_ = true;
                return;
            }
            if (skipNextActivation_) {
                skipNextActivation_ = false;
                return;
            }
            activating_ = true;
            returnSeenWhileActivating_ = false;
            const bool ok = guarded(&TForm1::FormActivate);
            activating_ = false;
            skipNextActivation_ = !ok && !returnSeenWhileActivating_;
        },
        Qt::QueuedConnection);
}

// --- navigation

void TForm1::Button1Click() {
    ui_->PageControl1->setCurrentWidget(ui_->TabSheet2);
}
void TForm1::Button2Click() {
    ui_->PageControl1->setCurrentWidget(ui_->TabSheet5);
}
void TForm1::btjaktClick() {
    ui_->PageControl1->setCurrentWidget(ui_->TabSheet3);
}
void TForm1::Button24Click() {
    ui_->PageControl1->setCurrentWidget(ui_->TabSheet4);
}
void TForm1::Button4Click() {
    ui_->PageControl1->setCurrentWidget(ui_->TabSheet7);
}
void TForm1::btAvansertClick() {
    ui_->PageControl1->setCurrentWidget(ui_->TabSheet6);
}
void TForm1::Button14Click() {
    ui_->PageControl1->setCurrentWidget(ui_->TabSheet1);
}

// --- connection handling

void TForm1::FormActivate() {
    ++activations_;
    connection_->FormActivate();
}

void TForm1::SpeedButton1Click() {
    connection_->SpeedButton1Click();
}

void TForm1::cbserieporterChange() {
    connection_->cbserieporterChange();
}

void TForm1::Button13Click() {
    connection_->Button13Click();
    close();
}

}  // namespace sk
