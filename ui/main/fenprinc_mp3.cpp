// Media on demand: the MP3 search and the favourites' buttons ("Mes MP3").
#include "portal/cp1252.h"
#include "portal/mp3search.h"
#include "portal/nmhttp.h"
#include "portal/textutil.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"
#include "ui/windows/fentelechargement.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeView>
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

} // namespace

void TfmPrinc::btnMODRechercheClick()
{
    if (nmhMODRecherche->Busy())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    // The rows already listed are where the next page starts.
    const QByteArray position = QByteArray::number(lvMODRechercheModel->rowCount());
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
    lvMODRechercheModel->clear();
}

void TfmPrinc::edtMODRechercheKeyPress()
{
    btnMODRechercheClick();
}

void TfmPrinc::nmhMODRechercheSuccess(int)
{
    lvMODRecherche->setColumnWidth(0, lvMODRecherche->width() - 20);
    std::vector<zv::Entry> rows;
    for (const zv::Mp3Result& r : zv::ParseMp3Search(nmhMODRecherche->Body))
        rows.push_back({.kind = zv::EntryKind::Mp3,
            .caption = zv::fromCp1252(r.title),
            .address = zv::fromCp1252(r.address)});
    lvMODRechercheModel->append(std::move(rows));
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
    if (const zv::Entry* row = lvMODRechercheModel->entry(zv::selectedSource(lvMODRecherche)))
        AddFavorite(row->caption, row->address);
}

void TfmPrinc::StartDownload(const QAbstractItemView* list)
{
    const QModelIndex row = zv::selectedSource(list);
    if (!row.isValid())
        return;
    const QString address = row.data(zv::AddressRole).toString();
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
    const QModelIndex row = zv::selectedSource(lvMODFavoris);
    if (row.isValid())
        lvMODFavorisModel->removeRow(row.row(), row.parent());
}

void TfmPrinc::bindMP3()
{
    edtMODRecherche->setValidator(new LowerCaseValidator(edtMODRecherche));
    connect(btnMODRecherche, &QPushButton::clicked, this, guard([this] { btnMODRechercheClick(); }));
    connect(edtMODRecherche, &QLineEdit::textChanged, this, guard([this] { edtMODRechercheChange(); }));
    connect(edtMODRecherche, &QLineEdit::returnPressed, this, guard([this] { edtMODRechercheKeyPress(); }));
    connect(
        btnMODRechercheSuite, &QPushButton::clicked, this, guard([this] { btnMODRechercheSuiteClick(); }));
    for (QTreeView* list : {lvMODRecherche, lvMODFavoris})
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
