#include "ui/themes/pictures.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

static void initThemeResources()
{
    // The pictures live in a static library: their registration must be pulled in.
    Q_INIT_RESOURCE(zvthemes);
}

namespace zv::themes {

namespace {

QPixmap load(const QString& path)
{
    static const bool registered = [] {
        initThemeResources();
        return true;
    }();
    Q_UNUSED(registered);
    if (PictureRatio() > 1) {
        const QFileInfo info(path);
        QPixmap dense(info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("@2x.")
            + info.suffix());
        if (!dense.isNull()) {
            dense.setDevicePixelRatio(2);
            return dense;
        }
    }
    return QPixmap(path);
}

} // namespace

qreal PictureRatio()
{
    // The densest screen decides: a window may move there.
    return qGuiApp && qGuiApp->devicePixelRatio() > 1.0 ? 2.0 : 1.0;
}

QPixmap Picture(int theme, const QString& name)
{
    return load(QStringLiteral(":/themes/theme%1/%2").arg(theme).arg(name));
}

QPixmap SharedPicture(const QString& name)
{
    return load(QStringLiteral(":/themes/icons/") + name);
}

QPixmap DrawnPicture(QSize size, const std::function<void(QPainter&)>& draw)
{
    const qreal ratio = PictureRatio();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return pixmap;
}

} // namespace zv::themes
