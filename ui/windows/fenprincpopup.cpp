#include "ui/windows/fenprincpopup.h"

#include "base/errors.h"
#include "portal/cp1252.h"
#include "portal/nmhttp.h"
#include "portal/popupschedule.h"
#include "portal/portalhost.h"
#include "ui/controls/focusmark.h"
#include "ui/windows/fenpopup.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

TfmPrincPopup::TfmPrincPopup(bool testMode, QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , testMode_(testMode)
{
    setObjectName(QStringLiteral("fmPrincPopup"));
    setWindowTitle(QStringLiteral("InfZevalo"));
    resize(248, 193);
    setAttribute(Qt::WA_DeleteOnClose); // closing it ends the program

    memTest = new QPlainTextEdit(this);
    memTest->setObjectName(QStringLiteral("memTest"));
    memTest->setReadOnly(true);
    memTest->setLineWrapMode(QPlainTextEdit::NoWrap);
    memTest->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memTest->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memTest->setGeometry(6, 6, 236, 142);
    memTest->setAccessibleName(QStringLiteral("Programme des informations"));
    // The desktop's style marks a focused button only faintly, and a read-only
    // text box not at all: a darker highlight, and a line round the box.
    zv::UseDesktopFocusLine(this);
    memTest->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 2px solid #c4c4c4; }"
                                          "QPlainTextEdit:focus { border-color: %1; }")
                               .arg(zv::DesktopFocusLine().name()));

    btnTest = new QPushButton(QStringLiteral("TESTER"), this);
    btnTest->setObjectName(QStringLiteral("btnTest"));
    btnTest->setGeometry(6, 156, 100, 28);
    btnTestSuivant = new QPushButton(QStringLiteral("Info suivante..."), this);
    btnTestSuivant->setObjectName(QStringLiteral("btnTestSuivant"));
    btnTestSuivant->setGeometry(124, 156, 118, 28);
    btnTestSuivant->setEnabled(false);

    nmhPopup = new TNMHTTP(this);
    nmhPopup->OnSuccess = [this](int cmd) { nmhPopupSuccess(cmd); };

    timPopup = new QTimer(this);
    timPopup->setInterval(60000);
    connect(timPopup, &QTimer::timeout, this, [this] { zv::swallowed([this] { timPopupTimer(); }); });
    connect(btnTest, &QPushButton::clicked, this, [this] { zv::swallowed([this] { btnTestClick(); }); });
    connect(btnTestSuivant, &QPushButton::clicked, this,
        [this] { zv::swallowed([this] { btnTestSuivantClick(); }); });

    if (!testMode_)
        timPopup->start();
    setVisible(testMode_);
}

TfmPrincPopup::~TfmPrincPopup()
{
    if (waitLoop_)
        waitLoop_->quit();
}

void TfmPrincPopup::setTickInterval(int ms)
{
    timPopup->setInterval(ms);
}

void TfmPrincPopup::closeEvent(QCloseEvent* event)
{
    // A step-through wait must not outlive the window.
    if (waitLoop_)
        waitLoop_->quit();
    QWidget::closeEvent(event);
}

void TfmPrincPopup::nmhPopupSuccess(int)
{
    schedule_ = zv::popupScheduleLines(nmhPopup->Body);
}

void TfmPrincPopup::fetchSchedule()
{
    schedule_.emplace();
    QPointer<TfmPrincPopup> self(this);
    // Background work: a portal that does not answer leaves the schedule empty.
    zv::swallowed([this] { nmhPopup->Get(zv::portalHost() + "/exe/cont.php?c=info_temps"); });
    if (self && testMode_)
        memTest->setPlainText(zv::fromCp1252(schedule_->join("\r\n")));
}

bool TfmPrincPopup::waitForNext()
{
    QPointer<TfmPrincPopup> self(this);
    btnTestSuivant->setEnabled(true);
    QEventLoop loop;
    waitLoop_ = &loop;
    loop.exec();
    if (!self)
        return false;
    waitLoop_ = nullptr;
    btnTestSuivant->setEnabled(false);
    return isVisible();
}

bool TfmPrincPopup::reportFailure(const QByteArray& line)
{
    if (!testMode_)
        return true;
    QPointer<TfmPrincPopup> self(this);
    QPointer<QMessageBox> box = new QMessageBox(
        QMessageBox::Critical, windowTitle(), zv::popupEntryErrorText(line), QMessageBox::Ok, this);
    box->exec();
    delete box.data();
    return self && isVisible();
}

void TfmPrincPopup::timPopupTimer()
{
    if (!testMode_)
        ++minutes_;
    // A minute that comes while the schedule is still being fetched waits for it.
    if (ticking_)
        return;
    ticking_ = true;
    QPointer<TfmPrincPopup> self(this);

    if (testMode_) {
        btnTest->setEnabled(false);
        btnTestSuivant->setEnabled(false);
    }
    if (!schedule_ && (minutes_ >= 1 || testMode_))
        fetchSchedule();
    if (!self)
        return;

    // Entries are taken from the front as they are handled; the ones not due
    // yet are kept, in their order.
    QList<QByteArray> waiting;
    bool alive = true;
    while (alive && schedule_ && !schedule_->isEmpty()) {
        const QByteArray line = schedule_->takeFirst();
        const zv::PopupDecision decision = zv::decidePopupEntry(line, minutes_, testMode_);
        switch (decision.action) {
        case zv::PopupAction::Wait: waiting.append(line); continue;
        case zv::PopupAction::Fail: alive = reportFailure(line); continue;
        case zv::PopupAction::Open:
            new TfmPopup(this, decision.height, decision.width, zv::fromCp1252(decision.url));
            break;
        case zv::PopupAction::Drop: break;
        }
        if (testMode_)
            alive = waitForNext();
    }
    if (!self)
        return;
    if (schedule_)
        schedule_ = waiting + *schedule_;

    if (testMode_) {
        schedule_.reset(); // the next test fetches again
        btnTest->setEnabled(true);
    }
    ticking_ = false;
}

void TfmPrincPopup::btnTestClick()
{
    timPopupTimer();
}

void TfmPrincPopup::btnTestSuivantClick()
{
    btnTestSuivant->setEnabled(false);
    if (waitLoop_)
        waitLoop_->quit();
}
