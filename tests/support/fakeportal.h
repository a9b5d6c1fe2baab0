#pragma once
// A small scripted portal on a ScriptedServer: every request of the main
// window gets a plausible French answer, web pages included, so that the
// window can be exercised and looked at without the demo portal.
#include "support/scriptedserver.h"

#include <optional>

namespace zv::test {

struct FakePortal {
    explicit FakePortal(ScriptedServer& server);

    // Answers for one path, replacing the default one.
    void set(const QByteArray& path, const Reply& reply) { server.on(path, reply); }

    // The request lines received, in order ("/exe/cont.php?c=message", ...).
    QByteArrayList paths() const;

    ScriptedServer& server;
    Reply beacon = Reply::ok("", "text/plain"); // every /exe/vu.php?id= request
};

// A TV list of n records (flags cycling, ids 1..n).
QByteArray channelRecords(int n);

} // namespace zv::test
