#include "ui/windows/fenajoutliste.h"

#include "portal/tv/providerfetch.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

TfmAjoutListe::FileDialog& fileDialog()
{
    static TfmAjoutListe::FileDialog dialog;
    return dialog;
}

// A file written as a file:// address is the file.
QString localSource(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return QUrl(trimmed).toLocalFile();
    return trimmed;
}

} // namespace

void TfmAjoutListe::setFileDialog(FileDialog dialog)
{
    fileDialog() = std::move(dialog);
}

TfmAjoutListe::TfmAjoutListe(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("fmAjoutListe"));
    setWindowTitle(QStringLiteral("Ajouter une liste de chaînes"));
    setMinimumWidth(460);

    edtNom = new QLineEdit(this);
    edtNom->setObjectName(QStringLiteral("edtNom"));
    edtNom->setPlaceholderText(QStringLiteral("Le nom de la liste (ou celui du fichier)"));
    edtAdresse = new QLineEdit(this);
    edtAdresse->setObjectName(QStringLiteral("edtAdresse"));
    edtAdresse->setPlaceholderText(QStringLiteral("https://… ou un fichier .m3u"));
    btnParcourir = new QPushButton(QStringLiteral("&Fichier…"), this);
    btnParcourir->setObjectName(QStringLiteral("btnParcourir"));
    edtGuide = new QLineEdit(this);
    edtGuide->setObjectName(QStringLiteral("edtGuide"));
    edtGuide->setPlaceholderText(QStringLiteral("Facultatif : celui que la liste indique"));
    lblErreur = new QLabel(this);
    lblErreur->setObjectName(QStringLiteral("lblErreur"));
    lblErreur->setWordWrap(true);
    lblErreur->setTextFormat(Qt::PlainText);
    lblErreur->hide();
    btnsValider = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnsValider->setObjectName(QStringLiteral("btnsValider"));
    btnsValider->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Ajouter"));
    btnsValider->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));

    auto* address = new QHBoxLayout;
    address->addWidget(edtAdresse, 1);
    address->addWidget(btnParcourir);
    auto* form = new QFormLayout;
    // A row holding a layout gives its label no buddy: this one names the field.
    auto* addressLabel = new QLabel(QStringLiteral("&Adresse ou fichier :"), this);
    addressLabel->setBuddy(edtAdresse);
    form->addRow(addressLabel, address);
    form->addRow(QStringLiteral("&Nom :"), edtNom);
    form->addRow(QStringLiteral("&Guide des programmes :"), edtGuide);
    auto* l = new QVBoxLayout(this);
    l->addLayout(form);
    l->addWidget(lblErreur);
    l->addWidget(btnsValider);

    connect(btnParcourir, &QPushButton::clicked, this, &TfmAjoutListe::browse);
    connect(btnsValider, &QDialogButtonBox::accepted, this, &TfmAjoutListe::accept);
    connect(btnsValider, &QDialogButtonBox::rejected, this, &TfmAjoutListe::reject);
    edtAdresse->setFocus();
}

QString TfmAjoutListe::sourceProblem(const QString& source)
{
    if (source.isEmpty())
        return QStringLiteral("Indiquez l'adresse de la liste (http ou https) ou choisissez un fichier.");
    if (zv::IsWebAddress(source))
        return {};
    if (source.contains(QLatin1String("://")))
        return QStringLiteral("Seules les adresses http et https sont acceptées.");
    const QFileInfo file(source);
    if (!file.isFile() || !file.isReadable())
        return QStringLiteral("Le fichier « %1 » n'existe pas ou ne peut pas être lu.").arg(source);
    return {};
}

QString TfmAjoutListe::nameFor(const QString& source)
{
    if (!zv::IsWebAddress(source))
        return QFileInfo(source).completeBaseName();
    const QUrl url(source);
    const QString file = QFileInfo(url.path()).completeBaseName();
    return file.isEmpty() ? url.host() : file;
}

zv::UserState::OwnListDefinition TfmAjoutListe::list() const
{
    const QString source = localSource(edtAdresse->text());
    QString name = edtNom->text().simplified();
    if (name.isEmpty())
        name = nameFor(source);
    if (name.isEmpty())
        name = QStringLiteral("Ma liste");
    return {0, name, zv::IsWebAddress(source) ? source : QFileInfo(source).absoluteFilePath(),
        edtGuide->text().trimmed()};
}

void TfmAjoutListe::accept()
{
    QString problem = sourceProblem(localSource(edtAdresse->text()));
    const QString guide = edtGuide->text().trimmed();
    if (problem.isEmpty() && !guide.isEmpty() && !zv::IsWebAddress(guide) && !QFileInfo(guide).isFile())
        problem = QStringLiteral("Le guide doit être une adresse http ou https, ou un fichier.");
    if (!problem.isEmpty()) {
        lblErreur->setText(problem);
        lblErreur->show();
        edtAdresse->setFocus();
        return;
    }
    QDialog::accept();
}

void TfmAjoutListe::browse()
{
    const QString file = fileDialog()
        ? fileDialog()(this)
        : QFileDialog::getOpenFileName(this, QStringLiteral("Choisir une liste de chaînes"), QString(),
            QStringLiteral("Listes de chaînes (*.m3u *.m3u8);;Tous les fichiers (*)"));
    if (file.isEmpty())
        return;
    edtAdresse->setText(file);
    if (edtNom->text().isEmpty())
        edtNom->setText(nameFor(file));
}
