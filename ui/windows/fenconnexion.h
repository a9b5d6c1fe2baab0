#pragma once
// TfmConnexion: the small modal window shown before the main window. It tries
// the portal until it answers "ok"; the main window opens only then. Cancel
// ends the program.
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class TNMHTTP;

class TfmConnexion : public QDialog {
    Q_OBJECT
public:
    explicit TfmConnexion(QWidget* owner = nullptr);
    ~TfmConnexion() override;

    QFrame* panCadre;
    QLabel* lblConnexion;
    QFrame* shpLigne;
    QPushButton* btnAnnuler;
    TNMHTTP* nmhTest;
    QTimer* timConnexion;

    void timConnexionTimer();
    void nmhTestSuccess(int cmd);

    int attempts() const { return attempts_; } // requests sent so far

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool busy_ = false; // a test request is under way
    bool decided_ = false; // the window has its result
    int attempts_ = 0;
};
