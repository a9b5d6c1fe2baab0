#pragma once
// The demo portal's own-list example on the scripted portal: its list, its
// guide (plain and gzip) made around now, and a small logo for every channel,
// as the demo portal serves them. Header only: the window tests that use it
// link the demo portal's library.
#include "server/catalogue.h"
#include "server/ownlist.h"
#include "support/fakeportal.h"

#include <QBuffer>
#include <QImage>

namespace zv::test {

inline zvs::OwnList demoOwnList()
{
    return zvs::loadCatalogue(
        qEnvironmentVariable("ZV_SOURCE_DIR") + QStringLiteral("/server/content/catalogue.json"))
        .ownList;
}

// Serves the example; its address.
inline QString serveDemoTelevision(FakePortal& portal, const zvs::OwnList& list = demoOwnList())
{
    const QString base = QStringLiteral("http://") + QString::fromLatin1(portal.server.hostPort());
    portal.set(zvs::kOwnListPath, Reply::ok(zvs::ownListPlaylist(list, base), "audio/x-mpegurl"));
    const QByteArray guide = zvs::programmeGuide(list, base, QDateTime::currentDateTime());
    portal.set(zvs::kGuidePath, Reply::ok(guide, "application/xml"));
    portal.set(QByteArray(zvs::kGuidePath) + ".gz", Reply::ok(zvs::gzipped(guide), "application/gzip"));
    QImage logo(48, 32, QImage::Format_RGB32);
    logo.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    logo.save(&out, "PNG");
    for (const zvs::ListChannel& c : list.channels)
        portal.set("/media/" + c.logo.toUtf8(), Reply::ok(png, "image/png"));
    return base + QString::fromLatin1(zvs::kOwnListPath);
}

} // namespace zv::test
