// The video search section, and the link to the outside pages.
#include "base/errors.h"
#include "portal/cp1252.h"
#include "portal/nmhttp.h"
#include "portal/portalhost.h"
#include "portal/textutil.h"
#include "portal/videosearch.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/accessibility.h"
#include "ui/controls/btngraph.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QUrl>
#include <QValidator>
#include <cmath>

namespace {

TfmPrinc::OutsidePageOpener& outsidePageOpener()
{
    static TfmPrinc::OutsidePageOpener opener = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    return opener;
}

// The keyword field keeps its text in lower case, typed or pasted.
class LowerCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override
    {
        input = input.toLower();
        pos = std::min<int>(pos, int(input.size()));
        return Acceptable;
    }
};

QByteArray pictureRequest(const QWidget* list)
{
    return "/exe/podcast_image.php?couleur=" + ColorToHtml(list->palette().color(QPalette::Base));
}

} // namespace

void TfmPrinc::setOutsidePageOpener(OutsidePageOpener opener)
{
    outsidePageOpener()
        = opener ? std::move(opener) : [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

void TfmPrinc::edtVideoRechercheChange()
{
    // New keywords: the search for the old ones is of no use any more.
    ++videoSearchGeneration_;
    nmhVideoRecherche->Abort();
    lvVideoModel->clear();
    wbVideoImage->setFixedWidth(int(std::lround(wbVideoImage->height() * 4.0 / 3.0)));
    wbVideoImage->Navigate(QString::fromLatin1(PortalRequest(pictureRequest(lvVideo))));
    lblVideoDuree->setText(QStringLiteral("-- : --"));
}

void TfmPrinc::btnVideoRechercheClick()
{
    if (nmhVideoRecherche->Busy())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QByteArray request
        = zv::VideoSearchRequest(lvVideoModel->rowCount(), zv::toCp1252(edtVideoRecherche->text()));
    const int generation = videoSearchGeneration_;
    // The keywords may change while the answer is awaited: that answer belongs
    // to a list that is gone.
    zv::swallowed([&] {
        GetFor(nmhVideoRecherche, PortalRequest(request),
            [this, generation] { return generation == videoSearchGeneration_; });
    });
    QApplication::restoreOverrideCursor();
}

void TfmPrinc::nmhVideoRechercheSuccess(int)
{
    lvVideo->setColumnWidth(0, lvVideo->width() - 20);
    std::vector<zv::Entry> rows;
    for (const zv::VideoResult& r : zv::ParseVideoSearch(nmhVideoRecherche->Body)) {
        rows.push_back({.kind = zv::EntryKind::Video,
            .caption = zv::fromCp1252(r.title),
            .address = zv::fromCp1252(r.video),
            .duration = zv::fromCp1252(r.duration),
            .thumbnail = zv::fromCp1252(r.thumbnail)});
    }
    lvVideoModel->append(std::move(rows));
}

void TfmPrinc::btnVideoSuiteClick()
{
    btnVideoRechercheClick();
}

void TfmPrinc::edtVideoRechercheKeyPress(QChar key)
{
    if (key == QLatin1Char('\r'))
        btnVideoRechercheClick();
}

void TfmPrinc::lvVideoSelectItem(const QModelIndex& row, bool selected)
{
    const zv::Entry* video = lvVideoModel->entry(row);
    if (!selected || !video)
        return;
    wbVideoImage->Navigate(QString::fromLatin1(
        PortalRequest(pictureRequest(lvVideo) + "&url=" + zv::toCp1252(video->thumbnail))));
    lblVideoDuree->setText(video->duration);
}

void TfmPrinc::lvVideoDblClick()
{
    btnLectureClick(lvVideo);
}

void TfmPrinc::lblTelechargerMusiqueClick()
{
    QByteArray path;
    if (btnFctClipVideo->Enfonce())
        path = "/mobile_b.htm";
    else if (btnFctMOD->Enfonce())
        path = "/get_mp3.htm";
    else if (btnFctVideo->Enfonce())
        path = "/videos/"; // the video site's home, which the portal stands in for
    else
        return;
    outsidePageOpener()(QUrl(QString::fromLatin1(zv::portalUrl(path))));
}

void TfmPrinc::bindVideo()
{
    // The title column keeps the width each answer gives it.
    lvVideo->header()->setStretchLastSection(false);
    edtVideoRecherche->setValidator(new LowerCaseValidator(edtVideoRecherche));
    connect(edtVideoRecherche, &QLineEdit::returnPressed, this,
        guard([this] { edtVideoRechercheKeyPress(QLatin1Char('\r')); }));
    connect(btnVideoRecherche, &QPushButton::clicked, this, guard([this] { btnVideoRechercheClick(); }));
    connect(btnVideoSuite, &QPushButton::clicked, this, guard([this] { btnVideoSuiteClick(); }));
    connect(lvVideo->selectionModel(), &QItemSelectionModel::selectionChanged, this, guard([this] {
        if (const QModelIndex row = zv::selectedSource(lvVideo); row.isValid())
            lvVideoSelectItem(row, true);
    }));
    connect(lvVideo, &QAbstractItemView::doubleClicked, this, guard([this] { lvVideoDblClick(); }));
    // Runs inside Get, whose caller swallows its errors.
    nmhVideoRecherche->OnSuccess = [this](int cmd) { nmhVideoRechercheSuccess(cmd); };
    zv::MakeClickable(lblTelechargerMusique, guard([this] { lblTelechargerMusiqueClick(); }));
}
