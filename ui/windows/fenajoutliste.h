#pragma once
// TfmAjoutListe: what the user gives to add a channel list of their own: a
// name, the list's address (http, https) or a file, and, if the list names
// none or the wrong one, a programme guide's address.
#include "portal/userstate.h"

#include <QDialog>
#include <functional>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfmAjoutListe : public QDialog {
    Q_OBJECT
public:
    explicit TfmAjoutListe(QWidget* owner = nullptr);

    // The list as given (id 0); valid once the dialog was accepted.
    zv::UserState::OwnListDefinition list() const;
    // Why a source cannot be a list, in French; empty when it can.
    static QString sourceProblem(const QString& source);
    // The name a list takes when the user gives none: the file's or the page's name.
    static QString nameFor(const QString& source);

    QLineEdit* edtNom;
    QLineEdit* edtAdresse;
    QPushButton* btnParcourir;
    QLineEdit* edtGuide;
    QLabel* lblErreur;
    QDialogButtonBox* btnsValider;

    // Stands in for the file dialog (tests); empty: the real one.
    using FileDialog = std::function<QString(QWidget* parent)>;
    static void setFileDialog(FileDialog dialog);

    void accept() override;

private:
    void browse();
};
