#pragma once
// TfmPrincPopup: the popup agent of /info mode, the process's only window,
// hidden unless /test asks to step through the schedule.
#include <QWidget>

class TfmPrincPopup : public QWidget {
    Q_OBJECT
public:
    explicit TfmPrincPopup(bool testMode, QWidget* parent = nullptr);

    bool testMode() const { return testMode_; }

private:
    bool testMode_;
};
