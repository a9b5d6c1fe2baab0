#include "support/mainwindowrig.h"

#include "app/config.h"
#include "base/errors.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/player/cadplayer.h"
#include "ui/themes/themes.h"
#include "ui/windows/fenajoutliste.h"
#include "ui/windows/fentelechargement.h"

#include <QFile>
#include <QTimer>

namespace zv::test {

MainWindowRig::MainWindowRig()
{
    qputenv("ZEVALO_PORTAL_HOST", server.hostPort());
    zv::UserState::setInstance(&state);
    installFakeEngines(&engines);
    zv::setErrorReporter([this](const QString& text) { errors << text; });
    TWebBrowser::setUrlOpener([this](const QUrl& url) { opened << url; });
    TfmPrinc::setOutsidePageOpener([this](const QUrl& url) { outside << url; });
    QFile::remove(TConfig().path());
}

MainWindowRig::~MainWindowRig()
{
    zv::setErrorReporter({});
    TWebBrowser::setUrlOpener({});
    TfmPrinc::setOutsidePageOpener({});
    TfmPrinc::setFichierDialog({});
    TfmPrinc::setAbonnementsDialog({});
    zv::UserState::setInstance(nullptr);
    TfmTelechargement::setSaveDialog({});
    TfrmPlayer::setEngineFactory({});
    TfmAjoutListe::setFileDialog({});
    QFile::remove(TConfig().path());
}

std::unique_ptr<TfmPrinc> MainWindowRig::start(int theme)
{
    auto w = CreateThemeWindow(theme);
    if (!w->FormCreate())
        qWarning("FormCreate failed");
    return w;
}

std::unique_ptr<TfmPrinc> MainWindowRig::startPodcasts(int theme)
{
    auto w = start(theme);
    w->show();
    emit w->btnFctMOD->clicked();
    w->pcMOD->setCurrentWidget(w->tsMODPodcast);
    return w;
}

void MainWindowRig::whenAsked(const QByteArray& path, std::function<void()> action)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&server, &ScriptedServer::requestReceived, &server,
        [path, connection, action = std::move(action), this](const Request& r) {
            const bool match = path.endsWith('*') ? r.path.startsWith(path.chopped(1)) : r.path == path;
            if (!match)
                return;
            QObject::disconnect(*connection);
            QTimer::singleShot(0, &server, action);
        });
}

QByteArrayList MainWindowRig::fetchPaths() const
{
    QByteArrayList out;
    for (const Request& r : server.requests()) {
        // The browsers ask with an Accept line of their own.
        if (r.header("Accept").startsWith("www/source"))
            out << r.path;
    }
    return out;
}

QByteArrayList MainWindowRig::requestsAfter(const QByteArray& prefix) const
{
    QByteArrayList out;
    for (const Request& r : server.requests()) {
        if (r.path.startsWith(prefix))
            out << r.path.mid(prefix.size());
    }
    return out;
}

int MainWindowRig::count(const QByteArray& path) const
{
    int n = 0;
    for (const Request& r : server.requests())
        n += r.path == path;
    return n;
}

int MainWindowRig::countPrefix(const QByteArray& prefix) const
{
    int n = 0;
    for (const Request& r : server.requests())
        n += r.path.startsWith(prefix);
    return n;
}

int MainWindowRig::indexOf(const QByteArray& prefix) const
{
    const QList<Request>& all = server.requests();
    for (int i = 0; i < all.size(); ++i) {
        if (all[i].path.startsWith(prefix))
            return i;
    }
    return -1;
}

} // namespace zv::test
