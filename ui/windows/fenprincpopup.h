#pragma once
// TfmPrincPopup: the popup agent of /info mode, the process's only window,
// hidden unless /test asks to step through the schedule. Once a minute it
// opens the popups whose delay has passed; the schedule is fetched once, at
// the first minute.
#include <QByteArray>
#include <QList>
#include <QWidget>
#include <optional>

class QEventLoop;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class TNMHTTP;

class TfmPrincPopup : public QWidget {
    Q_OBJECT
public:
    explicit TfmPrincPopup(bool testMode, QWidget* parent = nullptr);
    ~TfmPrincPopup() override;

    bool testMode() const { return testMode_; }
    int minutes() const { return minutes_; }
    // The entries still waiting; no value before the first fetch.
    const std::optional<QList<QByteArray>>& schedule() const { return schedule_; }
    // The length of a minute (tests shorten it).
    void setTickInterval(int ms);

    QTimer* timPopup;
    TNMHTTP* nmhPopup;
    QPlainTextEdit* memTest;
    QPushButton* btnTest;
    QPushButton* btnTestSuivant;

    void timPopupTimer();
    void btnTestClick();
    void btnTestSuivantClick();
    void nmhPopupSuccess(int cmd);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fetchSchedule();
    // Returns false when the window went away during the wait.
    bool waitForNext();
    bool reportFailure(const QByteArray& line);

    bool testMode_;
    int minutes_ = 0;
    bool ticking_ = false;
    std::optional<QList<QByteArray>> schedule_;
    QEventLoop* waitLoop_ = nullptr;
};
