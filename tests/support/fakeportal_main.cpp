// zv_fake_portal: the scripted portal of the main window tests as a program,
// for screenshots and benches. Prints its port, then serves until killed.
//   zv_fake_portal [PORT] [CHANNELS]   CHANNELS: size of the TV list (default 40)
#include "support/fakeportal.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const quint16 port = argc > 1 ? quint16(QByteArray(argv[1]).toUShort()) : 0;
    zv::test::ScriptedServer server(nullptr, port);
    zv::test::FakePortal portal(server);
    if (argc > 2)
        portal.set("/exe/medias.php?t=3&colid",
            zv::test::Reply::ok(zv::test::channelRecords(atoi(argv[2])), "text/plain"));
    std::printf("%u\n", unsigned(server.port()));
    std::fflush(stdout);
    return app.exec();
}
