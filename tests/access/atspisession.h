#pragma once
// A screen reader's view of this program for a test: the accessibility bus of
// the test's own session (run it in dbus-run-session), started here, and a
// client process written with pyatspi (what Orca is built on) that reads and
// drives the program over it.
#include <QAccessible>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <functional>

namespace zv::test {

class AtSpiSession : public QObject {
public:
    // The program shows on the bus under this name.
    explicit AtSpiSession(const QString& app)
        : app_(app)
    {
        QCoreApplication::setApplicationName(app);
    }

    ~AtSpiSession() override
    {
        bus_.terminate();
        bus_.waitForFinished();
    }

    // The bus up and Qt on it; false with a warning otherwise.
    bool start()
    {
        bus_.start(
            QStringLiteral("/usr/libexec/at-spi-bus-launcher"), {QStringLiteral("--launch-immediately")});
        if (!bus_.waitForStarted()) {
            qWarning("at-spi-bus-launcher (Debian package at-spi2-core) did not start");
            return false;
        }
        return QTest::qWaitFor([] { return QAccessible::isActive(); }, 30000);
    }

    // Runs the client with this program's event loop running, as the client
    // calls into it; `meanwhile` runs on each line the client prints. Its
    // output, empty when it failed.
    QByteArray client(const QStringList& args, const std::function<void(const QByteArray&)>& meanwhile = {})
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::SeparateChannels);
        QByteArray out;
        connect(&p, &QProcess::readyReadStandardOutput, this, [&] {
            while (p.canReadLine()) {
                const QByteArray line = p.readLine();
                out += line;
                if (meanwhile)
                    meanwhile(line.trimmed());
            }
        });
        QSignalSpy finished(&p, &QProcess::finished);
        p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral(ZV_ATSPI_CLIENT)} + QStringList{args.first(), app_} + args.mid(1));
        if (!finished.wait(60000)) {
            p.kill();
            p.waitForFinished();
        }
        out += p.readAllStandardOutput();
        const bool ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (!ok)
            qWarning("client %s: %s", qPrintable(args.join(u' ')), p.readAllStandardError().constData());
        return ok ? out : QByteArray();
    }

    // The program's whole tree.
    QJsonObject tree() { return QJsonDocument::fromJson(client({QStringLiteral("tree")})).object(); }

    // Runs the element's action; true when the client found both.
    bool act(const QString& name, const QString& action)
    {
        return client({QStringLiteral("do"), name, action}) == "ok\n";
    }

    // The first element of that name (and role, if given), depth first;
    // empty if none.
    static QJsonObject findNode(const QJsonObject& node, const QString& name, const QString& role = {})
    {
        const QString its = node.value(QLatin1String("role")).toString();
        if (node.value(QLatin1String("name")).toString() == name && its != QLatin1String("application")
            && (role.isEmpty() || its == role))
            return node;
        for (const QJsonValue& child : node.value(QLatin1String("children")).toArray()) {
            const QJsonObject found = findNode(child.toObject(), name, role);
            if (!found.isEmpty())
                return found;
        }
        return {};
    }

    static QStringList strings(const QJsonValue& v)
    {
        QStringList out;
        for (const QJsonValue& s : v.toArray())
            out << s.toString();
        return out;
    }

    // The element's states ("checked", "focusable"...).
    static QStringList states(const QJsonObject& node)
    {
        return strings(node.value(QLatin1String("states")));
    }

private:
    QString app_;
    QProcess bus_;
};

} // namespace zv::test
