#pragma once
// TfmRaccourcis: the program's keyboard shortcuts, opened by "Raccourcis
// clavier" in the settings menu (or F1): a list of keys and what they do,
// window by window, read from the keyboard and closed by Escape or "Fermer".
#include <QDialog>
#include <QList>
#include <QString>

class QPushButton;
class QTreeWidget;

struct TRaccourci {
    QString where; // the window or the control the keys act in
    QString keys; // as printed on the keys, French names
    QString action;
};

// Every shortcut of the program, in the order the dialog lists them.
const QList<TRaccourci>& Raccourcis();

class TfmRaccourcis : public QDialog {
    Q_OBJECT
public:
    explicit TfmRaccourcis(QWidget* owner = nullptr);

    QTreeWidget* tvRaccourcis; // a branch per window, a row per shortcut
    QPushButton* btnFermer;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool sized_ = false;
};
