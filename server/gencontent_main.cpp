// zevalo-gencontent: makes the demo portal's media once (skips when done).
#include "server/gencontent.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    zvs::GenerateOptions opt;
    opt.contentDir = QStringLiteral(ZV_SERVER_DEFAULT_CONTENT);
    QString out;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--content") || a == QLatin1String("--out") || a == QLatin1String("--jobs"))
            && i + 1 < args.size()) {
            const QString v = args[++i];
            if (a == QLatin1String("--content"))
                opt.contentDir = v;
            else if (a == QLatin1String("--out"))
                out = v;
            else
                opt.jobs = std::max(1, v.toInt());
        } else if (a == QLatin1String("--force")) {
            opt.force = true;
        } else if (a == QLatin1String("--quiet")) {
            opt.quiet = true;
        } else {
            std::fprintf(stderr,
                "usage: zevalo-gencontent [--content DIR] [--out DIR] [--jobs N] [--force] [--quiet]\n"
                "  --out  where the media go (default CONTENT/generated)\n");
            return a == QLatin1String("--help") ? 0 : 2;
        }
    }
    opt.outDir = QDir(out.isEmpty() ? opt.contentDir + QStringLiteral("/generated") : out).absolutePath();
    return zvs::generateContent(opt);
}
