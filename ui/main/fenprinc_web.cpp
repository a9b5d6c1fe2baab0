// Web panels, the message ticker, the ad band and the sponsor decision.
#include "portal/cp1252.h"
#include "portal/nmhttp.h"
#include "portal/textutil.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/scrolllabel.h"
#include "ui/main/fenprinc.h"

#include <QDialog>
#include <QFrame>
#include <QRandomGenerator>
#include <QTimer>
#include <QTreeView>

namespace {

bool shown(const QWidget* w)
{
    return !w->isHidden();
}

// The answer is the address of the panel's page, shown when the panel is; the
// browser leaves out the line break that server scripts end it with.
void showAnswer(const QWidget* panel, TWebBrowser* browser, const TNMHTTP* answer)
{
    if (shown(panel))
        browser->Navigate(zv::fromCp1252(answer->Body));
}

} // namespace

void TfmPrinc::nmhMessageSuccess(int)
{
    slMessage->setCaption(zv::fromCp1252(nmhMessage->Body));
    slMessage->setPeriodicite(150);
}

void TfmPrinc::nmhAccueilGSuccess(int)
{
    showAnswer(panAccueilG, wbAccueilG, nmhAccueilG);
}

void TfmPrinc::nmhAccueilDSuccess(int)
{
    showAnswer(panAccueilD, wbAccueilD, nmhAccueilD);
}

void TfmPrinc::nmhChatSuccess(int)
{
    showAnswer(panChat, wbChat, nmhChat);
}

void TfmPrinc::nmhSexoSuccess(int)
{
    showAnswer(panSexo, wbSexo, nmhSexo);
}

void TfmPrinc::nmhSponsorsSuccess(int)
{
    if (!nmhSponsors->Body.toUpper().contains("OUI"))
        return;
    const TSponsorWindowClass create = SponsorWindowClass();
    if (!create)
        return;
    std::unique_ptr<QDialog> sponsor = create(this);
    if (sponsor && sponsor->exec() == QDialog::Rejected) {
        TerminateRequested = true;
        close();
    }
}

void TfmPrinc::timPubTimer()
{
    timPub->stop();
    wbPub->Refresh();
    timPub->setInterval((int(QRandomGenerator::global()->bounded(85)) + 15) * 1000);
    timPub->start();
}

void TfmPrinc::wbDocumentComplete(TWebBrowser* browser)
{
    if (!browser->HasDocument())
        return;
    browser->SetBodyStyle(QStringLiteral("borderstyle"), QStringLiteral("none"));
    browser->SetBodyStyle(QStringLiteral("overflow"), QStringLiteral("hidden"));
}

void TfmPrinc::wbSexoDocumentComplete()
{
    if (wbSexo->HasDocument())
        wbSexo->SetBodyStyle(QStringLiteral("borderstyle"), QStringLiteral("none"));
}

void TfmPrinc::ShowPodcastImage()
{
    const QColor colour = lvMODPodcast->palette().color(QPalette::Base);
    wbMODPodcast->Navigate(
        QString::fromLatin1(PortalRequest("/exe/podcast_image.php?couleur=" + ColorToHtml(colour))));
}
