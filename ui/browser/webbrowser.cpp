#include "ui/browser/webbrowser.h"

#include "base/errors.h"
#include "portal/portalhost.h"

#include <QAction>
#include <QDesktopServices>
#include <QEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPointer>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTimer>
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

// One renderer process per site instead of one per page: the portal's panels,
// ad and pictures are one site. Read by the engine when it starts; a process
// model the user asked for wins.
void chooseProcessModel()
{
    constexpr char name[] = "QTWEBENGINE_CHROMIUM_FLAGS";
    const QByteArray flags = qgetenv(name);
    for (const char* model : {"--single-process", "--process-per-site", "--process-per-tab"}) {
        if (flags.contains(model))
            return;
    }
    qputenv(name, (flags + " --process-per-site").trimmed());
}

// OpenGL drawn by the processor (llvmpipe and its kind: no graphics card, or
// none the system can use).
bool openGlIsSoftware()
{
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!context.create() || !context.makeCurrent(&surface))
        return false;
    const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    const QByteArray renderer = QByteArray(name).toLower();
    context.doneCurrent();
    return renderer.contains("llvmpipe") || renderer.contains("softpipe") || renderer.contains("swrast")
        || renderer.contains("software rasterizer");
}

// Where OpenGL only emulates a graphics card, the pages are drawn without it:
// the same pictures, without the GL context, frame buffers and shader caches
// each view would take (tens of megabytes) for no speed. Read by the engine
// when it starts; a choice made in the environment wins.
void chooseRendering()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return;
    if (QQuickWindow::graphicsApi() == QSGRendererInterface::OpenGL && openGlIsSoftware())
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

// Runs once after the first paint of the widget it watches.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget* watched, std::function<void()> work)
        : QObject(watched)
        , work_(std::move(work))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, parent(), std::move(work_));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> work_;
};

} // namespace

QWebEngineProfile* TWebBrowser::sharedProfile()
{
    // The first call starts the web engine.
    static QWebEngineProfile* const profile = [] {
        chooseProcessModel();
        chooseRendering();
        // Qt 6's default profile is off the record: cookies and cache live in memory.
        QWebEngineProfile* p = QWebEngineProfile::defaultProfile();
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        p->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        lockDown(p->settings());
        return p;
    }();
    return profile;
}

void TWebBrowser::setUrlOpener(UrlOpener opener)
{
    urlOpener() = opener ? std::move(opener) : [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

void TWebBrowser::PrepareEngineWhileShowing(QWidget* window)
{
    new AfterFirstPaint(window, [] { sharedProfile(); });
}

template <class F> void TWebBrowser::handle(F&& handler)
{
    if (errorsSwallowed_)
        zv::swallowed(std::forward<F>(handler));
    else
        zv::guarded(std::forward<F>(handler));
}

TWebBrowser::TWebBrowser(QWidget* parent)
    : QWebEngineView(parent)
{
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { handle([&] { showMenu(pos); }); });
}

TWebBrowser::~TWebBrowser() = default;

QWebEnginePage* TWebBrowser::page() const
{
    return const_cast<TWebBrowser*>(this)->ensurePage();
}

QUrl TWebBrowser::url() const
{
    if (!page_)
        return blank_ ? QUrl(QStringLiteral("about:blank")) : QUrl();
    return page_->url();
}

QWebEnginePage* TWebBrowser::ensurePage()
{
    if (page_)
        return page_;
    auto* page = new QWebEnginePage(sharedProfile(), this);
    page_ = page;
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
        handle([&] { newWindowRequested(url); });
    });
    return page;
}

void TWebBrowser::showEvent(QShowEvent* event)
{
    // Shown, a browser shows a page, if only a blank one.
    ensurePage();
    QWebEngineView::showEvent(event);
}

void TWebBrowser::hideEvent(QHideEvent* event)
{
    // Without a page there is nothing to hide (the view would make one).
    if (page_)
        QWebEngineView::hideEvent(event);
    else
        QWidget::hideEvent(event);
}

void TWebBrowser::closeEvent(QCloseEvent* event)
{
    if (page_)
        QWebEngineView::closeEvent(event);
    else
        QWidget::closeEvent(event);
}

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
    // A browser that has no page yet already shows blank: it only reports the
    // load, later, as a real one would.
    if (!page_ && target.toString() == u"about:blank") {
        blank_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                loadFailed_ = false;
                loadDone();
            },
            Qt::QueuedConnection);
        return;
    }
    ensurePage()->load(target);
}

void TWebBrowser::Refresh()
{
    if (page_)
        page_->triggerAction(QWebEnginePage::Reload);
}

void TWebBrowser::SetBodyStyle(const QString& property, const QString& value)
{
    // Blank without a page looks the same styled or not.
    if (!hasDocument_ || !page_)
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
    handle([&] { emit DocumentComplete(); });
    if (self)
        handle([&] { emit DownloadComplete(); });
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
    // The page has asked, whether or not the desktop could open it.
    if (url.isValid() && (scheme == u"http" || scheme == u"https" || scheme == u"mailto"))
        handle([&] { urlOpener()(url); });
    // Its handlers close the window that holds this browser: not from inside
    // the page's own callback.
    QMetaObject::invokeMethod(
        this, [this, url] { handle([&] { emit NewWindow2(url); }); }, Qt::QueuedConnection);
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
        Refresh();
}
