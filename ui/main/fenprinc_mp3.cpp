// Media on demand: the MP3 search and the favourites' buttons ("Mes MP3").
#include "portal/cp1252.h"
#include "portal/mp3search.h"
#include "portal/nmhttp.h"
#include "portal/textutil.h"
#include "ui/main/fenprinc.h"
#include "ui/windows/fentelechargement.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeWidget>
#include <QValidator>

namespace {

// The keywords field takes what is typed (or pasted) in lower case.
class LowerCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toLower();
        return Acceptable;
    }
};

QTreeWidgetItem* selectedRow(const QTreeWidget* list)
{
    const QList<QTreeWidgetItem*> rows = list->selectedItems();
    return rows.isEmpty() ? nullptr : rows.first();
}

} // namespace

void TfmPrinc::btnMODRechercheClick()
{
    if (nmhMODRecherche->Busy())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    // The rows already listed are where the next page starts.
    const QByteArray position = QByteArray::number(lvMODRecherche->topLevelItemCount());
    QString keywords = edtMODRecherche->text();
    keywords.replace(QLatin1Char(' '), QLatin1Char('_'));
    // The keywords may change while the answer is awaited: that answer belongs
    // to a list that is gone.
    const int generation = mp3SearchGeneration_;
    GetFor(nmhMODRecherche,
        PortalRequest(
            "/exe/rech_rbc.php?num_page=" + position + "&recherche=" + UrlEncode(zv::toCp1252(keywords))),
        [this, generation] { return generation == mp3SearchGeneration_; });
}

void TfmPrinc::edtMODRechercheChange()
{
    // New keywords: the search for the old ones is of no use any more.
    ++mp3SearchGeneration_;
    nmhMODRecherche->Abort();
    lvMODRecherche->clear();
}

void TfmPrinc::edtMODRechercheKeyPress()
{
    btnMODRechercheClick();
}

void TfmPrinc::nmhMODRechercheSuccess(int)
{
    lvMODRecherche->setColumnWidth(0, lvMODRecherche->width() - 20);
    QList<QTreeWidgetItem*> rows;
    for (const zv::Mp3Result& r : zv::ParseMp3Search(nmhMODRecherche->Body))
        rows << new QTreeWidgetItem({zv::fromCp1252(r.title), zv::fromCp1252(r.address)});
    lvMODRecherche->addTopLevelItems(rows);
}

void TfmPrinc::btnMODRechercheSuiteClick()
{
    btnMODRechercheClick();
}

void TfmPrinc::lvMODRechercheDblClick(QObject* sender)
{
    btnLectureClick(sender);
}

void TfmPrinc::btnMODRechercheFavorisClick()
{
    if (const QTreeWidgetItem* row = selectedRow(lvMODRecherche))
        AddFavorite(row->text(0), row->text(1));
}

void TfmPrinc::StartDownload(const QTreeWidget* list)
{
    const QTreeWidgetItem* row = selectedRow(list);
    if (!row)
        return;
    const QString address = row->text(1);
    // Owned by this window; frees itself when it closes.
    auto* window = new TfmTelechargement(this);
    window->Start(address);
}

void TfmPrinc::btnMODRechercheTelechargerClick()
{
    StartDownload(lvMODRecherche);
}

void TfmPrinc::btnMODFavorisTelechargerClick()
{
    StartDownload(lvMODFavoris);
}

void TfmPrinc::btnMODFavorisSupprimerClick()
{
    delete selectedRow(lvMODFavoris);
}

void TfmPrinc::bindMP3()
{
    edtMODRecherche->setValidator(new LowerCaseValidator(edtMODRecherche));
    connect(btnMODRecherche, &QPushButton::clicked, this, guard([this] { btnMODRechercheClick(); }));
    connect(edtMODRecherche, &QLineEdit::textChanged, this, guard([this] { edtMODRechercheChange(); }));
    connect(edtMODRecherche, &QLineEdit::returnPressed, this, guard([this] { edtMODRechercheKeyPress(); }));
    connect(
        btnMODRechercheSuite, &QPushButton::clicked, this, guard([this] { btnMODRechercheSuiteClick(); }));
    for (QTreeWidget* list : {lvMODRecherche, lvMODFavoris})
        connect(list, &QAbstractItemView::doubleClicked, this,
            guard([this, list] { lvMODRechercheDblClick(list); }));
    connect(btnMODRechercheFavoris, &QPushButton::clicked, this,
        guard([this] { btnMODRechercheFavorisClick(); }));
    connect(btnMODRechercheTelecharger, &QPushButton::clicked, this,
        guard([this] { btnMODRechercheTelechargerClick(); }));
    connect(btnMODFavorisTelecharger, &QPushButton::clicked, this,
        guard([this] { btnMODFavorisTelechargerClick(); }));
    connect(btnMODFavorisSupprimer, &QPushButton::clicked, this,
        guard([this] { btnMODFavorisSupprimerClick(); }));
    // Runs inside Get, whose caller is already guarded.
    nmhMODRecherche->OnSuccess = [this](int cmd) { nmhMODRechercheSuccess(cmd); };
}
