#include "app/language.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QListView>
#include <QLocale>
#include <QTranslator>
#include <QTreeView>
#include <clocale>

namespace {

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

// Qt's file model writes sizes and dates in the machine's locale ("4.88 KiB",
// "8 Dec 2026"): the dialogs show them in the program's.
class FrenchFiles : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || (index.column() != 1 && index.column() != 3))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        if (index.column() == 1)
            return files->isDir(source) ? QString() : QLocale().formattedDataSize(files->size(source));
        return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    }
};

// Qt's own file dialog, made for English: French sizes and dates, and columns
// and a side bar wide enough for "Dernière modification" and what it shows.
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
        if (!dialog->proxyModel())
            dialog->setProxyModel(new FrenchFiles(dialog));
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

void InstallFrenchTexts(QApplication& app)
{
    // Our numbers and dates, and the kinds of files (the MIME database reads
    // the default locale's language).
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    // Standard buttons in French ("Oui", "Non", "Annuler").
    auto* qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    QCoreApplication::installTranslator(new MissingTexts(&app));
    app.installEventFilter(new FileDialogFitter(&app));
    // QApplication took the C library's locale from the environment: on a
    // French desktop its numbers would be written "1,5", which libmpv refuses.
    std::setlocale(LC_NUMERIC, "C");
}
