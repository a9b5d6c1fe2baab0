// Draws the pictures of the themes (backgrounds, image buttons, the game and
// sponsor windows' pictures, flags, badges), each at 1x and 2x, and writes
// them, with the resource list that embeds them, into a folder of the build
// tree. Run at build time; nothing here ships as a program.
#include "designs.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2)
        qFatal("usage: themegen OUTPUT_DIR");
    gen::setOutput(QString::fromLocal8Bit(argv[1]));

    gen::flags();
    for (const zv::themes::Look& look : zv::themes::Looks)
        gen::designerFor(look)->drawAll();

    QFile qrc(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/themes.qrc"));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the resource list");
    QTextStream out(&qrc);
    out << "<RCC>\n  <qresource prefix=\"/themes\">\n";
    for (const QString& name : gen::written())
        out << "    <file>" << name << "</file>\n";
    out << "  </qresource>\n</RCC>\n";
    return 0;
}
