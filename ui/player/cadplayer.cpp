#include "ui/player/cadplayer.h"

#include "base/errors.h"
#include "portal/freedmemory.h"
#include "ui/controls/accessibility.h"

#include <QDesktopServices>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

EngineFactory& factorySlot()
{
    static EngineFactory factory;
    return factory;
}

std::unique_ptr<PlayerEngine> createEngine(const EngineChoice& choice, QWidget* parent)
{
    const EngineFactory& factory = factorySlot();
    return factory ? factory(choice.engine, parent) : CreateRealEngine(choice.engine, parent);
}

struct ErrorPanel {
    QFrame* panel;
    QLabel* info;
    QLabel* link;
};

ErrorPanel makeErrorPanel(QWidget* parent, const QString& name, const QString& info, const QString& link,
    std::function<void()> onLinkClick)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("panErreur") + name);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(pal);
    panel->setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(5, 5, 5, 5); // the panel's border width
    layout->setSpacing(0);

    QFont infoFont(QStringLiteral("MS Sans Serif"));
    infoFont.setPixelSize(13);
    auto* infoLabel = new QLabel(info, panel);
    infoLabel->setObjectName(QStringLiteral("lblErrInfo") + name);
    infoLabel->setFont(infoFont);
    infoLabel->setWordWrap(true);
    infoLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    infoLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(infoLabel, 1);

    QFont linkFont(QStringLiteral("MS Sans Serif"));
    linkFont.setPixelSize(11);
    linkFont.setUnderline(true);
    auto* linkLabel = new QLabel(link, panel);
    linkLabel->setObjectName(QStringLiteral("lblErrLien") + name);
    linkLabel->setFont(linkFont);
    QPalette linkPal = linkLabel->palette();
    linkPal.setColor(QPalette::WindowText, Qt::blue);
    linkLabel->setPalette(linkPal);
    linkLabel->setAlignment(Qt::AlignCenter);
    linkLabel->setFixedHeight(20);
    zv::MakeClickable(linkLabel, std::move(onLinkClick));
    layout->addWidget(linkLabel);

    // The window's theme styles every label; the panel keeps its own colours.
    panel->setStyleSheet(QStringLiteral("#panErreur%1 { background: white; border: none; }"
                                        "#lblErrInfo%1 { color: black; background: transparent; }"
                                        "#lblErrLien%1 { color: blue; background: transparent; "
                                        "text-decoration: underline; border: 2px solid transparent; }"
                                        "#lblErrLien%1:focus { border-color: blue; }")
                             .arg(name));
    panel->hide();
    return {panel, infoLabel, linkLabel};
}

} // namespace

TfrmPlayer::TfrmPlayer(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("frmPlayer"));
    resize(293, 200);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    // One error panel per engine, in the engines' order.
    struct Engine {
        QString name;
        QString info;
        QString link;
        void (TfrmPlayer::*onLinkClick)();
        QFrame** panel;
        QLabel** infoLabel;
        QLabel** linkLabel;
    };
    const Engine engines[] = {
        {QStringLiteral("WMP"),
            QStringLiteral("Impossible d'initialiser Windows Media Player, veuillez vérifier "
                           "votre installation et si nécessaire télécharger une version "
                           "récente (9 ou ultérieure)."),
            QStringLiteral("Télécharger Windows Média Player"), &TfrmPlayer::lblErrLienWMPClick,
            &panErreurWMP, &lblErrInfoWMP, &lblErrLienWMP},
        {QStringLiteral("RA"),
            QStringLiteral("Impossible d'initialiser RealPlayer, veuillez vérifier votre "
                           "installation et si nécessaire télécharger une version récente."),
            QStringLiteral("Télécharger RealPlayer"), &TfrmPlayer::lblErrLienRAClick, &panErreurRA,
            &lblErrInfoRA, &lblErrLienRA},
        {QStringLiteral("VLC"),
            QStringLiteral("Impossible d'initialiser VLC, veuillez vérifier votre installation "
                           "et si nécessaire télécharger une version récente."),
            QStringLiteral("Télécharger VLC"), &TfrmPlayer::lblErrLienVLCClick, &panErreurVLC, &lblErrInfoVLC,
            &lblErrLienVLC},
    };
    for (const Engine& engine : engines) {
        const auto onLinkClick = engine.onLinkClick;
        const ErrorPanel made = makeErrorPanel(
            this, engine.name, engine.info, engine.link, [this, onLinkClick] { (this->*onLinkClick)(); });
        *engine.panel = made.panel;
        *engine.infoLabel = made.info;
        *engine.linkLabel = made.link;
    }

    for (QFrame* panel : {panErreurWMP, panErreurRA, panErreurVLC})
        panel->setGeometry(rect());
}

TfrmPlayer::~TfrmPlayer()
{
    // Whoever listens may be half gone already (the frame dies with its window).
    blockSignals(true);
    zv::swallowed([this] { Load(QString()); });
}

void TfrmPlayer::setEngineFactory(EngineFactory factory)
{
    factorySlot() = std::move(factory);
}

void TfrmPlayer::Load(const QString& url, AddressLength length)
{
    for (QFrame* panel : {panErreurWMP, panErreurRA, panErreurVLC})
        panel->hide();
    setEnabled(true);

    const EngineChoice choice = ChooseEngine(url, length);
    const QString& u = choice.url;

    if (PlayerControl && (u.isEmpty() || !PlayerControl->takes(choice.engine))) {
        zv::swallowed([this] { Stop(); });
        PlayerControl.reset();
        // A stream's decoders and buffers are large; what they freed goes back.
        zv::releaseFreedMemorySoon();
    }

    if (!u.isEmpty() && !PlayerControl) {
        try {
            std::unique_ptr<PlayerEngine> control = createEngine(choice, this);
            if (!control)
                throw zv::Error(
                    QStringLiteral("Le lecteur %1 n'a pas pu être créé.").arg(EngineName(choice.engine)));
            PlayerEngine* sender = control.get();
            const auto forward = [this, sender](const QString& text) { emit Message(sender, text); };
            connect(sender, &PlayerEngine::statusChanged, this, forward);
            connect(sender, &PlayerEngine::errorOccurred, this, forward);
            control->setSource(u);
            control->setGeometry(0, 0, width(), height());
            PlayerControl = std::move(control);
        } catch (const std::exception& e) {
            const auto* error = dynamic_cast<const zv::Error*>(&e);
            const QString text = error ? error->message() : QString::fromLocal8Bit(e.what());
            zv::reportError(QStringLiteral("L'erreur suivante s'est produite : ") + text);
            zv::swallowed([this] { Load(QString()); });
            // In the order of the engines.
            const std::array<QFrame*, 3> panels{panErreurWMP, panErreurRA, panErreurVLC};
            QFrame* panel = panels.at(static_cast<size_t>(choice.engine));
            panel->setGeometry(rect());
            panel->raise();
            panel->show();
            throw zv::Abort();
        }
        PlayerControl->show();
    }

    setEnabled(!PlayerControl);
    Url = u;
}

void TfrmPlayer::Play()
{
    if (!PlayerControl)
        return;
    PlayerControl->setSource(Url);
    PlayerControl->play();
}

void TfrmPlayer::Pause()
{
    if (!PlayerControl)
        return;
    if (IsPaused())
        PlayerControl->play();
    else
        PlayerControl->pause();
}

void TfrmPlayer::Stop()
{
    if (PlayerControl)
        PlayerControl->stop();
}

void TfrmPlayer::ToggleMute()
{
    if (PlayerControl)
        PlayerControl->setMuted(!PlayerControl->isMuted());
}

void TfrmPlayer::FullScreen()
{
    // An ended or failed stream leaves nothing to show.
    if (IsPlaying() || IsPaused())
        PlayerControl->setFullScreen(true);
}

void TfrmPlayer::SetVolume(int volume)
{
    if (PlayerControl)
        PlayerControl->setVolume(volume);
}

double TfrmPlayer::GetPosition() const
{
    if (!PlayerControl)
        return 0;
    const qint64 length = PlayerControl->length();
    return length > 0 ? double(PlayerControl->position()) / double(length) : 0;
}

double TfrmPlayer::LengthSeconds() const
{
    if (!PlayerControl)
        return 0;
    return double(std::max<qint64>(0, PlayerControl->length())) / 1000;
}

void TfrmPlayer::SetPosition(double fraction)
{
    if (!PlayerControl || !std::isfinite(fraction))
        return;
    // A fraction outside the media would make the engines seek past either end.
    fraction = std::clamp(fraction, 0.0, 1.0);
    const qint64 length = PlayerControl->length();
    if (length > 0)
        PlayerControl->seek(std::llround(fraction * double(length)));
}

bool TfrmPlayer::IsPlaying() const
{
    return PlayerControl && PlayerControl->state() == PlayerEngine::State::Playing;
}

bool TfrmPlayer::IsPaused() const
{
    return PlayerControl && PlayerControl->state() == PlayerEngine::State::Paused;
}

bool TfrmPlayer::IsMuted() const
{
    return PlayerControl && PlayerControl->isMuted();
}

void TfrmPlayer::lblErrLienWMPClick()
{
    QDesktopServices::openUrl(
        QUrl(QStringLiteral("https://support.microsoft.com/fr-fr/windows/"
                            "obtenir-le-lecteur-windows-media-81718e0d-cfce-25b1-aee3-94596b658287")));
}

void TfrmPlayer::lblErrLienRAClick()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://www.real.com/fr/")));
}

void TfrmPlayer::lblErrLienVLCClick()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://www.videolan.org/vlc/download-windows.fr.html")));
}

void TfrmPlayer::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    for (QFrame* panel : {panErreurWMP, panErreurRA, panErreurVLC})
        panel->setGeometry(rect());
    if (PlayerControl)
        PlayerControl->setGeometry(rect());
}
