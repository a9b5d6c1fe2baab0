#include "ui/browser/webbrowser.h"

#include "portal/errors.h"
#include "portal/portalhost.h"

#include <QAction>
#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>

namespace {

TWebBrowser::UrlOpener& urlOpener()
{
    static TWebBrowser::UrlOpener opener = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    return opener;
}

// What pages may do: script, windows (they reach us as requests), nothing
// local, no plugins.
void lockDown(QWebEngineSettings* s)
{
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
}

// An address as a browser reads it: no control characters or spaces around
// it, no tabs or line breaks inside. Server scripts end their answers with a
// line break.
QString cleanAddress(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    QString out = text.mid(begin, end - begin);
    out.removeIf([](QChar c) { return c == u'\t' || c == u'\n' || c == u'\r'; });
    return out;
}

} // namespace

QWebEngineProfile* TWebBrowser::sharedProfile()
{
    // Qt 6's default profile is off the record: cookies and cache live in memory.
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    static bool configured = false;
    if (!configured) {
        configured = true;
        profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        lockDown(profile->settings());
    }
    return profile;
}

void TWebBrowser::setUrlOpener(UrlOpener opener)
{
    urlOpener() = opener ? std::move(opener) : [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

TWebBrowser::TWebBrowser(QWidget* parent)
    : QWebEngineView(parent)
{
    auto* page = new QWebEnginePage(sharedProfile(), this);
    lockDown(page->settings());
    setPage(page);

    // Each navigation reports its own end. loadFinished is not enough: when a
    // load starts right after another (about:blank, then the page), Qt often
    // reports only the first one.
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus
            || info.status() == QWebEngineLoadingInfo::LoadFailedStatus) {
            loadFailed_ = info.status() == QWebEngineLoadingInfo::LoadFailedStatus || info.isErrorPage();
            loadDone();
        }
    });
    connect(page, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        // Left unhandled, the request opens no view of ours.
        const QUrl url = request.requestedUrl();
        zv::guarded([&] { newWindowRequested(url); });
    });

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { zv::guarded([&] { showMenu(pos); }); });
}

TWebBrowser::~TWebBrowser() = default;

QUrl TWebBrowser::urlFromText(const QString& address)
{
    const QString text = cleanAddress(address);
    if (text.isEmpty())
        return QUrl(QStringLiteral("about:blank"));
    const int sep = text.indexOf(QLatin1String("://"));
    const int slash = text.indexOf(u'/');
    if (sep > 0 && sep <= slash)
        return QUrl(text, QUrl::TolerantMode);
    static const QRegularExpression opaque(
        QStringLiteral("^(about|javascript|mailto|data):"), QRegularExpression::CaseInsensitiveOption);
    if (opaque.match(text).hasMatch())
        return QUrl(text, QUrl::TolerantMode);
    if (text.startsWith(QLatin1String("//")))
        return QUrl(QStringLiteral("http:") + text, QUrl::TolerantMode);
    if (text.startsWith(u'/'))
        return QUrl(QString::fromLatin1(zv::portalUrl(QByteArray())) + text, QUrl::TolerantMode);
    // A portal request: host and path without a scheme.
    return QUrl(QStringLiteral("http://") + text, QUrl::TolerantMode);
}

void TWebBrowser::Navigate(const QString& url)
{
    // Callers only start the load; an address that does not parse still loads,
    // and the view shows its own error page.
    QUrl target = urlFromText(url);
    if (!target.isValid())
        target = QUrl(
            QStringLiteral("http://") + QString::fromLatin1(QUrl::toPercentEncoding(cleanAddress(url))),
            QUrl::TolerantMode);
    load(target);
}

void TWebBrowser::Refresh()
{
    reload();
}

void TWebBrowser::SetBodyStyle(const QString& property, const QString& value)
{
    if (!hasDocument_)
        return;
    QString name = property;
    if (name.compare(QLatin1String("borderstyle"), Qt::CaseInsensitive) == 0)
        name = QStringLiteral("borderStyle");
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z][A-Za-z0-9]*$"));
    if (!identifier.match(name).hasMatch())
        return;
    // The value goes in as a JSON string, never as script text.
    QString literal = QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact));
    literal = literal.mid(1, literal.size() - 2);
    page()->runJavaScript(
        QStringLiteral("if (document.body) document.body.style['%1'] = %2;").arg(name, literal),
        QWebEngineScript::ApplicationWorld);
}

void TWebBrowser::loadDone()
{
    hasDocument_ = true;
    // A handler may close the window that owns this browser.
    QPointer<TWebBrowser> self(this);
    zv::guarded([&] { emit DocumentComplete(); });
    if (self)
        zv::guarded([&] { emit DownloadComplete(); });
}

void TWebBrowser::newWindowRequested(const QUrl& url)
{
    // A page that keeps asking for windows gets a few, then none until it stops.
    if (!popupClock_.isValid() || popupClock_.elapsed() > PopupQuietMs)
        popupBurst_ = 0;
    popupClock_.start();
    if (popupBurst_ >= PopupBurst)
        return;
    ++popupBurst_;

    const QString scheme = url.scheme().toLower();
    if (url.isValid() && (scheme == u"http" || scheme == u"https" || scheme == u"mailto"))
        urlOpener()(url);
    // Its handlers close the window that holds this browser: not from inside
    // the page's own callback.
    QMetaObject::invokeMethod(
        this, [this, url] { zv::guarded([&] { emit NewWindow2(url); }); }, Qt::QueuedConnection);
}

void TWebBrowser::showMenu(const QPoint& pos)
{
    // A panel of the portal, not a browser: copy and reload are all it offers.
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("Copier"));
    copy->setEnabled(page()->hasSelection());
    QAction* reloadAction = menu.addAction(QStringLiteral("Actualiser"));
    QAction* chosen = menu.exec(mapToGlobal(pos));
    if (chosen == copy)
        page()->triggerAction(QWebEnginePage::Copy);
    else if (chosen == reloadAction)
        reload();
}
