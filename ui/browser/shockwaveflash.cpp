#include "ui/browser/shockwaveflash.h"

#include "base/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStackedLayout>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#ifndef ZV_RUFFLE_BUILD_DIR
#define ZV_RUFFLE_BUILD_DIR ""
#endif

namespace {

// Games are small; anything far larger is not one and would only eat memory.
constexpr qint64 MaxMovieBytes = 64 * 1024 * 1024;
constexpr int FetchTimeoutMs = 30000;

const QString& failurePrefix()
{
    static const QString prefix = QStringLiteral("Impossible de charger le jeu : ");
    return prefix;
}

// The player page, written once per run next to nothing of the user's: it
// loads ruffle.js from where Ruffle is installed and waits for zvPlay().
QString playerPage(const QString& ruffle)
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zevalo-flash-XXXXXX"));
    static QString written;
    static QString writtenFor;
    if (!dir.isValid())
        return {};
    if (!written.isEmpty() && writtenFor == ruffle)
        return written;
    const QString publicPath = QUrl::fromLocalFile(ruffle + u'/').toString();
    const QString html
        = QStringLiteral(R"(<!DOCTYPE html>
<html><head><meta charset="utf-8">
<style>html,body{margin:0;padding:0;width:100%;height:100%;overflow:hidden;background:#000}
#zv{width:100%;height:100%}#zv>*{width:100%;height:100%;display:block}</style>
<script>
window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = {
  publicPath: "%1",
  polyfills: false,
  autoplay: "on",
  unmuteOverlay: "hidden",
  splashScreen: false,
  letterbox: "on",
  warnOnUnsupportedContent: false,
  showSwfDownload: false,
  openUrlMode: "deny",
  logLevel: "error"
};
function zvPlay(b64) {
  var raw = atob(b64);
  var bytes = new Uint8Array(raw.length);
  for (var i = 0; i < raw.length; ++i) bytes[i] = raw.charCodeAt(i);
  var box = document.getElementById("zv");
  while (box.firstChild) box.removeChild(box.firstChild);
  var player = window.RufflePlayer.newest().createPlayer();
  box.appendChild(player);
  var api = player.ruffle ? player.ruffle() : player;
  api.load({data: bytes});
  return true;
}
</script>
<script src="%2"></script>
</head><body><div id="zv"></div></body></html>
)")
              .arg(publicPath, QUrl::fromLocalFile(ruffle + QStringLiteral("/ruffle.js")).toString());
    const QString path = dir.filePath(QStringLiteral("player.html"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(html.toUtf8()) < 0)
        return {};
    f.close();
    written = path;
    writtenFor = ruffle;
    return written;
}

// Turns a game address into what we fetch: web addresses as they are, local
// files as files, and a portal address without a scheme as http.
QUrl movieUrl(const QString& text)
{
    const QString t = text.trimmed();
    if (t.startsWith(u'/') && QFileInfo::exists(t))
        return QUrl::fromLocalFile(t);
    const int sep = t.indexOf(QLatin1String("://"));
    const int slash = t.indexOf(u'/');
    if (sep > 0 && sep <= slash)
        return QUrl(t, QUrl::TolerantMode);
    return QUrl(QStringLiteral("http://") + t, QUrl::TolerantMode);
}

QString networkFailure(QNetworkReply* reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return QStringLiteral("le serveur a répondu %1.").arg(status);
    switch (reply->error()) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::RemoteHostClosedError: return QStringLiteral("le serveur est injoignable.");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: return QStringLiteral("le serveur ne répond pas.");
    case QNetworkReply::ProtocolUnknownError: return QStringLiteral("adresse non prise en charge.");
    default: return QStringLiteral("erreur réseau (%1).").arg(reply->errorString());
    }
}

} // namespace

TShockwaveFlash::TShockwaveFlash(QWidget* parent)
    : QWidget(parent)
{
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);

    view_ = new QWebEngineView(this);
    auto* page = new QWebEnginePage(view_);
    QWebEngineSettings* s = page->settings();
    // The player page is our own local file: it must read Ruffle's files and
    // may let the movie reach the network; no plugins, no windows.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false); // the game's sound
    view_->setPage(page);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        zv::guarded([&] {
            if (!ok) {
                showError(QStringLiteral("Impossible de lancer le jeu : le lecteur Flash ne démarre pas."));
                return;
            }
            pageReady_ = true;
            if (!pending_.isEmpty()) {
                const QByteArray swf = std::exchange(pending_, QByteArray());
                play(swf);
            }
        });
    });

    message_ = new QLabel(this);
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    message_->setMargin(12);
    message_->setAutoFillBackground(true);

    stack_->addWidget(view_);
    stack_->addWidget(message_);
    setFocusProxy(view_); // games read the keyboard
    stack_->setCurrentWidget(view_);

    net_ = new QNetworkAccessManager(this);
    net_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

TShockwaveFlash::~TShockwaveFlash()
{
    // Answers and script results still on the way find nothing to do; they may
    // arrive while the view and the network go, so these go while we still live.
    ++generation_;
    delete net_;
    net_ = nullptr;
    delete view_;
    view_ = nullptr;
}

QString TShockwaveFlash::ruffleDir()
{
    const QByteArray env = qgetenv("ZEVALO_RUFFLE_DIR");
    QStringList candidates;
    if (!env.isNull()) {
        candidates << QString::fromLocal8Bit(env);
    } else {
        const QString app = QCoreApplication::applicationDirPath();
        candidates << app + QStringLiteral("/ruffle") << app + QStringLiteral("/../share/zevalo/ruffle")
                   << QStringLiteral(ZV_RUFFLE_BUILD_DIR);
    }
    for (const QString& dir : candidates) {
        if (!dir.isEmpty() && QFileInfo(dir + QStringLiteral("/ruffle.js")).isFile())
            return QFileInfo(dir).canonicalFilePath();
    }
    return {};
}

bool TShockwaveFlash::isSwf(const QByteArray& data)
{
    return data.size() >= 8 && (data.startsWith("FWS") || data.startsWith("CWS") || data.startsWith("ZWS"));
}

void TShockwaveFlash::LoadMovie(const QString& url)
{
    movie_ = url;
    error_.clear();
    playing_ = false;
    pending_.clear();
    const int generation = ++generation_;

    if (ruffleDir().isEmpty()) {
        showError(
            QStringLiteral("Impossible de lancer le jeu : le lecteur Flash (Ruffle) n'est pas installé."));
        return;
    }
    stack_->setCurrentWidget(view_);

    const QUrl target = movieUrl(url);
    if (target.isLocalFile()) {
        QFile f(target.toLocalFile());
        if (!f.open(QIODevice::ReadOnly)) {
            showError(failurePrefix() + QStringLiteral("le fichier est introuvable."));
            return;
        }
        if (f.size() > MaxMovieBytes) {
            showError(failurePrefix() + QStringLiteral("le fichier est trop gros."));
            return;
        }
        play(f.readAll());
        return;
    }
    const QString scheme = target.scheme().toLower();
    if (!target.isValid() || (scheme != u"http" && scheme != u"https")) {
        showError(failurePrefix() + QStringLiteral("adresse non prise en charge."));
        return;
    }
    QNetworkRequest request(target);
    request.setTransferTimeout(FetchTimeoutMs);
    QNetworkReply* reply = net_->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if (received > MaxMovieBytes || total > MaxMovieBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this,
        [this, reply, generation] { zv::guarded([&] { fetched(reply, generation); }); });
}

void TShockwaveFlash::fetched(QNetworkReply* reply, int generation)
{
    reply->deleteLater();
    if (generation != generation_)
        return; // a newer movie was asked for meanwhile
    if (reply->bytesAvailable() > MaxMovieBytes) {
        showError(failurePrefix() + QStringLiteral("le fichier est trop gros."));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        const bool tooBig = reply->error() == QNetworkReply::OperationCanceledError
            && reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > MaxMovieBytes;
        showError(
            failurePrefix() + (tooBig ? QStringLiteral("le fichier est trop gros.") : networkFailure(reply)));
        return;
    }
    play(reply->readAll());
}

void TShockwaveFlash::play(const QByteArray& swf)
{
    if (!isSwf(swf)) {
        showError(failurePrefix() + QStringLiteral("ce fichier n'est pas une animation Flash."));
        return;
    }
    stack_->setCurrentWidget(view_);
    if (!pageReady_) {
        pending_ = swf;
        const QString ruffle = ruffleDir();
        const QString page = ruffle.isEmpty() ? QString() : playerPage(ruffle);
        if (page.isEmpty()) {
            pending_.clear();
            showError(QStringLiteral(
                "Impossible de lancer le jeu : le lecteur Flash (Ruffle) n'est pas installé."));
            return;
        }
        if (view_->url() != QUrl::fromLocalFile(page))
            view_->load(QUrl::fromLocalFile(page));
        return;
    }
    const int generation = generation_;
    const QString script
        = QStringLiteral("(function(){try{return zvPlay('%1');}catch(e){return String(e);}})()")
              .arg(QString::fromLatin1(swf.toBase64()));
    view_->page()->runJavaScript(script, [this, generation](const QVariant& result) {
        zv::guarded([&] {
            if (generation != generation_)
                return;
            if (result.typeId() != QMetaType::Bool || !result.toBool()) {
                showError(QStringLiteral("Impossible de lancer le jeu : le lecteur Flash ne démarre pas."));
                return;
            }
            playing_ = true;
            if (isVisible())
                view_->setFocus();
            emit MovieStarted();
        });
    });
}

void TShockwaveFlash::showError(const QString& message)
{
    error_ = message;
    playing_ = false;
    message_->setText(message);
    stack_->setCurrentWidget(message_);
    emit MovieFailed(message);
}

void TShockwaveFlash::setFillParent(bool fill)
{
    fill_ = fill;
    followParent();
}

void TShockwaveFlash::followParent()
{
    if (watchedParent_ && watchedParent_ != parentWidget())
        watchedParent_->removeEventFilter(this);
    watchedParent_ = fill_ ? parentWidget() : nullptr;
    if (!watchedParent_)
        return;
    watchedParent_->installEventFilter(this);
    setGeometry(watchedParent_->rect());
}

bool TShockwaveFlash::eventFilter(QObject* watched, QEvent* event)
{
    if (fill_ && watched == watchedParent_ && event->type() == QEvent::Resize)
        setGeometry(watchedParent_->rect());
    return QWidget::eventFilter(watched, event);
}

bool TShockwaveFlash::event(QEvent* event)
{
    // Re-seated on another parent (the game window's maximise): follow it.
    if (event->type() == QEvent::ParentChange)
        followParent();
    return QWidget::event(event);
}
