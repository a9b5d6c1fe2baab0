#pragma once
// The main window against the scripted portal on loopback, with players that
// play nothing: the set-up the window tests share.
//
//   std::optional<MainWindowRig> rig;  rig.emplace();     // in init(); rig.reset() in cleanup()
//   rig->portal.set("/exe/podcast.php", Reply::never());
//   auto w = rig->start();                                // a theme window through FormCreate
//   rig->whenAsked("/exe/podcast.php", [&] { ... });      // once, from the event loop
//   rig->errors                                           // what the default error handler showed
#include "main/fakeengine.h"
#include "main/fakeportal.h"
#include "ui/main/fenprinc.h"

#include <QStringList>
#include <functional>
#include <memory>

namespace zv::test {

class MainWindowRig {
public:
    MainWindowRig(); // a portal answering everything, no config.ini, fake players
    ~MainWindowRig();
    MainWindowRig(const MainWindowRig&) = delete;
    MainWindowRig& operator=(const MainWindowRig&) = delete;

    std::unique_ptr<TfmPrinc> start(int theme = 2);

    // Runs action from the event loop (not inside the server's own handler)
    // once the portal has received a request for path; a path ending in "*"
    // matches every request starting with the rest.
    void whenAsked(const QByteArray& path, std::function<void()> action);
    // The requests of the window's own fetch components, in order (the
    // browsers' are left out), and how many started with prefix.
    QByteArrayList fetchPaths() const;
    int count(const QByteArray& prefix) const;
    // "http://127.0.0.1:PORT" + path.
    QByteArray url(const QByteArray& path) const { return "http://" + server.hostPort() + path; }

    ScriptedServer server;
    FakePortal portal{server};
    FakeEngineLog engines;
    QStringList errors;
};

} // namespace zv::test
