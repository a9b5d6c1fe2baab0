#pragma once
// TfmTelechargement: downloads one media file into a file the user chooses,
// with its name, a progress bar and a cancel button. Created by the main window
// for each download, started at once, modeless; every way of closing frees it.
// Several may run at the same time.
#include <QString>
#include <QWidget>
#include <functional>

class QFileDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class TNMHTTP;

class TfmTelechargement : public QWidget {
    Q_OBJECT
public:
    explicit TfmTelechargement(QWidget* owner = nullptr);
    ~TfmTelechargement() override;

    QLabel* lblFichier;
    QLabel* lblNomFichier;
    QProgressBar* pbAvancement;
    QPushButton* btnAnnule;
    QPushButton* btnReprendre; // shown after a failure: continues from what arrived
    TNMHTTP* nmhFichier;
    QFileDialog* sdFichier;
    QTimer* timAnnulation;

    // Asks where to save, then downloads. Returns once the transfer has ended;
    // the window may be gone by then (closed, or freed with its owner).
    void Start(const QString& address);

    void btnAnnuleClick();
    void btnReprendreClick();
    void nmhFichierAboutToSend(QList<QByteArray>& headerLines);
    void nmhFichierPacketRecvd();
    void nmhFichierSuccess(int cmd);
    void nmhFichierFailure(int cmd);
    void timAnnulationTimer();

    // The save dialog: gets the proposed name, returns the chosen path, empty
    // when cancelled. Tests replace it; empty: sdFichier runs.
    using SaveDialog = std::function<QString(TfmTelechargement* window, const QString& proposed)>;
    static void setSaveDialog(SaveDialog dialog);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString runSaveDialog(const QString& proposed);
    // Sends the request and waits for its end; a failure shows "Erreur" and "Reprendre".
    void transfer();
    void showFailure();

    QByteArray request_;
    QString name_;
    bool cancelled_ = false;
};
