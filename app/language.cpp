#include "app/language.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QListView>
#include <QLocale>
#include <QTranslator>
#include <QTreeView>
#include <clocale>
#include <optional>

namespace {

std::optional<QByteArray>& savedLcAll()
{
    static std::optional<QByteArray> saved;
    return saved;
}
bool& frenchAsked()
{
    static bool asked = false;
    return asked;
}

// Texts Qt's French catalogue lacks: the kinds the file dialogs show.
class MissingTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        if (qstrcmp(source, "Folder") == 0)
            return QStringLiteral("Dossier");
        if (qstrcmp(source, "File") == 0)
            return QStringLiteral("Fichier");
        if (qstrcmp(source, "Drive") == 0)
            return QStringLiteral("Lecteur");
        if (qstrcmp(source, "Shortcut") == 0)
            return QStringLiteral("Raccourci");
        return {};
    }
};

// Qt's own file dialog sizes its columns for English: "Dernière modification",
// French dates and the kinds of files were cut.
class FileDialogFitter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* dialog = qobject_cast<QFileDialog*>(watched))
                fit(dialog);
        }
        return false;
    }

private:
    static void fit(QFileDialog* dialog)
    {
        if (auto* tree = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
            QHeaderView* header = tree->header();
            header->setStretchLastSection(false);
            header->setSectionResizeMode(0, QHeaderView::Stretch);
            for (int i = 1; i < header->count(); ++i)
                header->setSectionResizeMode(i, QHeaderView::ResizeToContents);
        }
        if (auto* side = dialog->findChild<QListView*>(QStringLiteral("sidebar")))
            side->setMinimumWidth(side->sizeHintForColumn(0) + 2 * side->frameWidth() + 8);
        const QSize room = dialog->size().expandedTo(QSize(780, 460));
        if (room != dialog->size())
            dialog->resize(room);
    }
};

} // namespace

void SpeakFrenchBeforeApplication()
{
    savedLcAll() = qEnvironmentVariableIsSet("LC_ALL") ? std::optional(qgetenv("LC_ALL")) : std::nullopt;
    qputenv("LC_ALL", "fr_FR.UTF-8");
    frenchAsked() = true;
}

void SpeakFrenchAfterApplication()
{
    if (!frenchAsked())
        return;
    (void)QLocale::system(); // read now, while the environment says French; kept from then on
    if (const auto& saved = savedLcAll())
        qputenv("LC_ALL", *saved);
    else
        qunsetenv("LC_ALL");
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
}

void InstallFrenchTexts(QApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    // Standard buttons in French ("Oui", "Non", "Annuler").
    auto* qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    QCoreApplication::installTranslator(new MissingTexts(&app));
    app.installEventFilter(new FileDialogFitter(&app));
}
