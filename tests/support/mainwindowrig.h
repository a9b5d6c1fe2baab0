#pragma once
// The main window against the scripted portal on loopback, with players that
// play nothing: the set-up every window test shares.
//
//   class TestX : public MainWindowTest { ... };          // a fresh rig around each test function
//   rig->portal.set("/exe/podcast.php", Reply::never());
//   auto w = rig->start();                                // a theme window through FormCreate
//   rig->whenAsked("/exe/podcast.php", [&] { ... });      // once, from the event loop
//   rig->errors                                           // what the default error handler showed
//   rig->engines.sources()                                // what the fake players played
//
// The rig also stands in for the desktop: pages a browser hands to the
// user's browser land in `opened`, outside pages the window opens in
// `outside`. What the program remembers for the user (own podcasts, visits,
// positions) is the rig's own, in `state`, empty at its start. Its end removes
// config.ini and every stand-in it set or a test may have set (file and save
// dialogs included).
#include "portal/userstate.h"
#include "support/fakeengine.h"
#include "support/fakeportal.h"
#include "ui/main/fenprinc.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

namespace zv::test {

class MainWindowRig {
public:
    MainWindowRig(); // a portal answering everything, no config.ini, fake players
    ~MainWindowRig();
    MainWindowRig(const MainWindowRig&) = delete;
    MainWindowRig& operator=(const MainWindowRig&) = delete;

    // A theme window through FormCreate (a warning when it says the program
    // must end).
    std::unique_ptr<TfmPrinc> start(int theme = 2);
    // The same, shown, on its podcast tab with the catalogue read.
    std::unique_ptr<TfmPrinc> startPodcasts(int theme = 2);

    // Runs action from the event loop (not inside the server's own handler)
    // once the portal has received a request for path; a path ending in "*"
    // matches every request starting with the rest.
    void whenAsked(const QByteArray& path, std::function<void()> action);
    // The requests of the window's own fetch components, in order (the
    // browsers' are left out).
    QByteArrayList fetchPaths() const;
    // The rest of every request starting with prefix, in order ("20&recherche=abc").
    QByteArrayList requestsAfter(const QByteArray& prefix) const;
    // How many requests were for path exactly; for any path starting with
    // prefix; the position of the first starting with prefix (-1: none).
    int count(const QByteArray& path) const;
    int countPrefix(const QByteArray& prefix) const;
    int indexOf(const QByteArray& prefix) const;
    // "http://127.0.0.1:PORT" + path.
    QByteArray url(const QByteArray& path) const { return "http://" + server.hostPort() + path; }
    FakeEngine* engine() const { return engines.current; }

    QTemporaryDir stateDir;
    zv::UserState state{stateDir.filePath(QStringLiteral("state.sqlite"))};
    ScriptedServer server;
    FakePortal portal{server};
    FakeEngineLog engines;
    QStringList errors;
    QList<QUrl> opened; // pages a browser handed to the desktop
    QList<QUrl> outside; // outside pages the window opened
};

// A test case of the main window: a fresh rig around every test function. A
// case that wants more around each function overrides setUp or tearDown.
class MainWindowTest : public QObject {
    Q_OBJECT
protected:
    virtual void setUp() { }
    virtual void tearDown() { }
    std::optional<MainWindowRig> rig;

private slots:
    void init()
    {
        rig.emplace();
        setUp();
    }
    void cleanup()
    {
        tearDown();
        rig.reset();
    }
};

} // namespace zv::test
