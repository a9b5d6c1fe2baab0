#include "main/mainwindowrig.h"

#include "app/config.h"
#include "portal/errors.h"
#include "ui/player/cadplayer.h"
#include "ui/themes/themes.h"

#include <QFile>
#include <QTimer>

namespace zv::test {

MainWindowRig::MainWindowRig()
{
    qputenv("ZEVALO_PORTAL_HOST", server.hostPort());
    installFakeEngines(&engines);
    zv::setErrorReporter([this](const QString& text) { errors << text; });
    QFile::remove(TConfig().path());
}

MainWindowRig::~MainWindowRig()
{
    zv::setErrorReporter({});
    TfrmPlayer::setEngineFactory({});
    QFile::remove(TConfig().path());
}

std::unique_ptr<TfmPrinc> MainWindowRig::start(int theme)
{
    auto w = CreateThemeWindow(theme);
    if (!w->FormCreate())
        qWarning("FormCreate failed");
    return w;
}

void MainWindowRig::whenAsked(const QByteArray& path, std::function<void()> action)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&server, &ScriptedServer::requestReceived, &server,
        [this, path, connection, action = std::move(action)](const Request& r) {
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

int MainWindowRig::count(const QByteArray& prefix) const
{
    int n = 0;
    for (const Request& r : server.requests())
        n += r.path.startsWith(prefix);
    return n;
}

} // namespace zv::test
