#pragma once
// TWebBrowser: the embedded web browser of every window, over QWebEngineView.
// Pages get no bridge into the program and no access to local files; a page
// that asks for a new window has it opened in the user's default browser.
// A browser costs nothing until it is first shown or given a page: its web
// page (and the engine behind it) is created then. The program's pages share
// one renderer process per site.

#include <QElapsedTimer>
#include <QString>
#include <QUrl>
#include <QWebEngineView>
#include <functional>

class QWebEngineProfile;

class TWebBrowser : public QWebEngineView {
    Q_OBJECT
public:
    explicit TWebBrowser(QWidget* parent = nullptr);
    ~TWebBrowser() override;

    // Starts a load and returns at once. Takes a full URL, "about:blank", or a
    // portal path written as host + path without a scheme
    // ("127.0.0.1:8631/exe/cont.php?c=pub"). Spaces and line breaks around the
    // address, and line breaks and tabs inside it, are not part of it.
    void Navigate(const QString& url);
    void Refresh(); // reloads the current page
    // True once a page has been committed to the view (callers test it before
    // touching the document).
    bool HasDocument() const { return hasDocument_; }
    // True when the last load ended in an error (unreachable host, error
    // status, the view's own error page); read it when the load completes.
    bool LoadFailed() const { return loadFailed_; }
    // document.body.style[property] = value. "borderstyle" is the body's
    // border style, other names are CSS properties in script spelling.
    // Does nothing while there is no document.
    void SetBodyStyle(const QString& property, const QString& value);

    // The web page, created on first use. A browser never shown nor given an
    // address has none: blank is what it would show. These hide the view's
    // own, which would make a page without our settings: call them on a
    // TWebBrowser.
    QWebEnginePage* page() const;
    QUrl url() const;
    bool HasPage() const { return page_ != nullptr; }

    // Errors in the browser's own handlers (a new window the desktop cannot
    // open, the menu) are shown by the default error handler, or swallowed
    // in a window nobody watches.
    void SetErrorsSwallowed(bool swallowed) { errorsSwallowed_ = swallowed; }

    // Starts the web engine ahead of the first page, once `window` has
    // painted: for a window that waits anyway. Nothing shows of it.
    static void PrepareEngineWhileShowing(QWidget* window);

    // The URL a Navigate call loads (exposed for tests).
    static QUrl urlFromText(const QString& text);
    // The profile every browser of the program shares: off the record, no
    // persistent cookies, no local file access.
    static QWebEngineProfile* sharedProfile();
    // Opens the address of a requested new window; QDesktopServices::openUrl
    // unless a test installs its own. Only web and mail addresses are opened.
    using UrlOpener = std::function<void(const QUrl&)>;
    static void setUrlOpener(UrlOpener opener);
    // How many new windows a page may open in a burst before further requests
    // are dropped until it calms down.
    static constexpr int PopupBurst = 3;
    static constexpr int PopupQuietMs = 3000;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

signals:
    void DocumentComplete(); // a load has finished (successfully or not)
    void NewWindow2(const QUrl& url); // the page asked for a new window
    void DownloadComplete(); // the page and its resources are loaded

private:
    QWebEnginePage* ensurePage();
    void newWindowRequested(const QUrl& url);
    void loadDone();
    void showMenu(const QPoint& pos);
    template <class F> void handle(F&& handler);

    QWebEnginePage* page_ = nullptr;
    bool blank_ = false; // told to show about:blank before it had a page
    bool hasDocument_ = false;
    bool loadFailed_ = false;
    bool errorsSwallowed_ = false;
    QElapsedTimer popupClock_; // limits how fast a page may open windows
    int popupBurst_ = 0;
};
