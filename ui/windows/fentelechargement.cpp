#include "ui/windows/fentelechargement.h"

#include "base/errors.h"
#include "portal/cp1252.h"
#include "portal/download.h"
#include "portal/nmhttp.h"
#include "portal/userstate.h"
#include "ui/controls/focusmark.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

namespace {

TfmTelechargement::SaveDialog& saveDialogSlot()
{
    static TfmTelechargement::SaveDialog dialog;
    return dialog;
}

const QByteArray LastFolderKey = "download/last-folder";

// Where the save dialog opens: the folder the user last saved to, else their
// music folder, never the program's working folder.
QString saveFolder()
{
    const QString last = QString::fromUtf8(zv::UserState::instance().value(LastFolderKey));
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir())
        return music;
    return QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
}

} // namespace

TfmTelechargement::TfmTelechargement(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("fmTelechargement"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Téléchargement"));
    setFixedSize(273, 77);
    zv::UseDesktopFocusLine(this);

    lblFichier = new QLabel(QStringLiteral("Fichier : "), this);
    lblFichier->setObjectName(QStringLiteral("lblFichier"));
    lblFichier->move(6, 8);
    lblFichier->adjustSize();
    lblNomFichier = new QLabel(this);
    lblNomFichier->setObjectName(QStringLiteral("lblNomFichier"));
    lblNomFichier->setGeometry(lblFichier->geometry().right() + 1, 8, 217, lblFichier->height());

    pbAvancement = new QProgressBar(this);
    pbAvancement->setObjectName(QStringLiteral("pbAvancement"));
    pbAvancement->setRange(0, 100);
    pbAvancement->setValue(0);
    pbAvancement->setTextVisible(false);
    // Not shown, but read out with the bar: "Avancement, 42 %".
    pbAvancement->setFormat(QStringLiteral("%p %"));
    pbAvancement->setAccessibleName(QStringLiteral("Avancement"));
    pbAvancement->setGeometry(8, 28, 257, 16);

    btnAnnule = new QPushButton(QStringLiteral("Annuler"), this);
    btnAnnule->setObjectName(QStringLiteral("btnAnnule"));
    QFont bold = btnAnnule->font();
    bold.setBold(true);
    btnAnnule->setFont(bold);
    btnAnnule->setGeometry(99, 50, 75, 23);

    btnReprendre = new QPushButton(QStringLiteral("Reprendre"), this);
    btnReprendre->setObjectName(QStringLiteral("btnReprendre"));
    btnReprendre->setGeometry(56, 50, 75, 23);
    btnReprendre->hide();

    nmhFichier = new TNMHTTP(this);
    nmhFichier->setObjectName(QStringLiteral("nmhFichier"));
    nmhFichier->InputFileMode = true;

    sdFichier = new QFileDialog(this, QStringLiteral("Enregistrer sous..."));
    sdFichier->setObjectName(QStringLiteral("sdFichier"));
    sdFichier->setAcceptMode(QFileDialog::AcceptSave);
    sdFichier->setFileMode(QFileDialog::AnyFile);
    sdFichier->setOption(QFileDialog::DontConfirmOverwrite, false);
    sdFichier->setSizeGripEnabled(true);

    timAnnulation = new QTimer(this);
    timAnnulation->setObjectName(QStringLiteral("timAnnulation"));
    timAnnulation->setInterval(100);

    // A download's errors are its own: nothing reaches the user but "Erreur".
    connect(btnAnnule, &QPushButton::clicked, this, [this] { zv::swallowed([this] { btnAnnuleClick(); }); });
    connect(btnReprendre, &QPushButton::clicked, this, [this] { zv::swallowed([this] { btnReprendreClick(); }); });
    connect(
        timAnnulation, &QTimer::timeout, this, [this] { zv::swallowed([this] { timAnnulationTimer(); }); });
    nmhFichier->OnAboutToSend = [this](QList<QByteArray>& lines) { nmhFichierAboutToSend(lines); };
    nmhFichier->OnPacketRecvd = [this] { nmhFichierPacketRecvd(); };
    nmhFichier->OnSuccess = [this](int cmd) { nmhFichierSuccess(cmd); };
    nmhFichier->OnFailure = [this](int cmd) { nmhFichierFailure(cmd); };
}

TfmTelechargement::~TfmTelechargement() = default;

void TfmTelechargement::setSaveDialog(SaveDialog dialog)
{
    saveDialogSlot() = std::move(dialog);
}

QString TfmTelechargement::runSaveDialog(const QString& proposed)
{
    if (const SaveDialog& dialog = saveDialogSlot())
        return dialog(this, proposed);
    sdFichier->setDirectory(saveFolder());
    sdFichier->selectFile(proposed);
    if (sdFichier->exec() != QDialog::Accepted)
        return {};
    const QStringList files = sdFichier->selectedFiles();
    if (files.isEmpty())
        return {};
    zv::UserState::instance().setValue(LastFolderKey, QFileInfo(files.first()).absolutePath().toUtf8());
    return files.first();
}

void TfmTelechargement::Start(const QString& address)
{
    // The window may be freed while the transfer waits (its owner closes).
    const QPointer<TfmTelechargement> self(this);
    const zv::DownloadAddress parts = zv::SplitDownloadAddress(zv::toCp1252(address));
    const QByteArray request = zv::DownloadRequest(parts);
    if (!parts.fileName.isEmpty()) {
        const QString target = runSaveDialog(zv::fromCp1252(zv::ProposedFileName(parts.fileName)));
        if (!self)
            return;
        if (!target.isEmpty()) {
            nmhFichier->HeaderInfo.Referer = zv::DownloadReferer(parts);
            nmhFichier->Body = target.toUtf8();
            request_ = request;
            name_ = zv::fromCp1252(parts.fileName);
            lblNomFichier->setText(name_);
            show();
            transfer();
            if (!self)
                return;
        }
    }
    if (!isVisible())
        close();
}

void TfmTelechargement::transfer()
{
    const QPointer<TfmTelechargement> self(this);
    try {
        nmhFichier->Get(request_);
    } catch (...) {
        // Refused, cut short, unwritable file: shown like a refused answer,
        // unless the user cancelled it. What arrived waits in the .part.
        if (self && !cancelled_)
            showFailure();
    }
}

void TfmTelechargement::showFailure()
{
    lblNomFichier->setText(QStringLiteral("Erreur"));
    btnAnnule->move(142, 50);
    btnReprendre->show();
    btnReprendre->setFocus();
}

void TfmTelechargement::btnReprendreClick()
{
    if (nmhFichier->Busy())
        return;
    btnReprendre->hide();
    btnAnnule->move(99, 50);
    lblNomFichier->setText(name_);
    transfer();
}

void TfmTelechargement::nmhFichierAboutToSend(QList<QByteArray>& headerLines)
{
    headerLines << "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";
}

void TfmTelechargement::nmhFichierPacketRecvd()
{
    const int percent = zv::DownloadPercent(nmhFichier->BytesReceived, nmhFichier->BytesExpected);
    if (percent >= 0)
        pbAvancement->setValue(percent);
}

void TfmTelechargement::nmhFichierSuccess(int)
{
    close();
}

void TfmTelechargement::nmhFichierFailure(int)
{
    showFailure();
}

void TfmTelechargement::btnAnnuleClick()
{
    cancelled_ = true;
    zv::swallowed([this] { nmhFichier->Abort(); });
    timAnnulation->start();
}

void TfmTelechargement::timAnnulationTimer()
{
    // Off the wire is enough: Get itself may return only much later, when
    // requests started above it (another window's, a click's) have ended.
    if (nmhFichier->Connected())
        return;
    timAnnulation->stop();
    close();
}

void TfmTelechargement::closeEvent(QCloseEvent* event)
{
    event->accept();
}

void TfmTelechargement::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        btnAnnule->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
