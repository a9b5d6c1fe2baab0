#pragma once
// TfmPrinc: the portal's skinned main window. Never created as itself, only as
// one of the theme subclasses (ui/themes).
#include <QWidget>

class TfmPrinc : public QWidget {
    Q_OBJECT
public:
    ~TfmPrinc() override;

    // The start-up sequence. Runs once, right after construction, so that the
    // theme's overrides are in place. False: the program must end (the connection
    // test was not confirmed) and the window is never shown.
    virtual bool FormCreate();

protected:
    explicit TfmPrinc(QWidget* parent = nullptr);
};
