#include "portal/tv/ownlistloader.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>

namespace zv {

namespace {

QByteArray readWhole(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QFileInfo::exists(path) ? QStringLiteral("Le fichier %1 ne peut pas être lu.").arg(path)
                                        : QStringLiteral("Le fichier %1 est introuvable.").arg(path);
        return {};
    }
    if (file.size() > OwnListLoader::MaxListBytes) {
        error = QStringLiteral("La liste de chaînes est trop grande pour être lue.");
        return {};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        error = QStringLiteral("Le fichier %1 ne peut pas être lu.").arg(path);
    return bytes;
}

// Writes bytes as the kept copy: whole or not at all.
void keep(const QByteArray& bytes, const QString& path)
{
    const QString part = path + QStringLiteral(".part");
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.flush()) {
        file.remove();
        return;
    }
    file.close();
    if (::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) != 0)
        QFile::remove(part);
}

} // namespace

OwnListLoader::OwnListLoader(QObject* parent)
    : QObject(parent)
    , fetch_(this)
    , work_(this)
{
    qRegisterMetaType<std::shared_ptr<const zv::OwnList>>();
    ProviderFetch::Limits limits;
    limits.maxBytes = MaxListBytes;
    fetch_.setLimits(limits);
    connect(&fetch_, &ProviderFetch::progress, this,
        [this](qint64 received, qint64 total) { emit progress(list_.id, received, total); });
    connect(&fetch_, &ProviderFetch::finished, this, [this](const QString& error) {
        const QString fetched = cacheFile(list_.id) + QStringLiteral(".new");
        if (!error.isEmpty()) {
            QFile::remove(fetched);
            read(QString(), true, error);
        } else {
            read(fetched, true, QString());
        }
    });
}

QString OwnListLoader::cacheFile(qint64 id)
{
    return CacheFolder(QStringLiteral("listes")) + QStringLiteral("/%1.m3u").arg(id);
}

void OwnListLoader::forget(qint64 id)
{
    QFile::remove(cacheFile(id));
    QFile::remove(cacheFile(id) + QStringLiteral(".new"));
}

void OwnListLoader::cancel()
{
    fetch_.abort();
    work_.cancel();
}

void OwnListLoader::load(const UserState::OwnListDefinition& list, bool refresh)
{
    cancel();
    list_ = list;
    const QString copy = cacheFile(list.id);
    if (!refresh && QFileInfo::exists(copy))
        return read(copy, false, QString());
    if (IsWebAddress(list.source))
        return fetch_.get(list.source.trimmed(), copy + QStringLiteral(".new"));
    // A file of the user's: read where it is, kept as a copy.
    QString path = list.source.trimmed();
    if (path.startsWith(u"file:"))
        path = QUrl(path).toLocalFile();
    read(path, true, QString());
}

void OwnListLoader::read(const QString& file, bool fallBack, const QString& fetchError)
{
    const QString copy = cacheFile(list_.id);
    const qint64 id = list_.id;
    const QString name = list_.name;
    work_.start<Result>(
        [file, copy, fallBack](const std::atomic<bool>& stop) {
            Result result;
            if (!file.isEmpty()) {
                const QByteArray bytes = readWhole(file, result.error);
                if (result.error.isEmpty() && !stop) {
                    OwnListReading reading = ReadOwnList(bytes);
                    result.error = reading.error;
                    if (!reading.list.empty()) {
                        result.list = std::make_shared<const OwnList>(std::move(reading.list));
                        if (file == copy)
                            return result;
                        if (file.endsWith(u".new"))
                            ::rename(
                                QFile::encodeName(file).constData(), QFile::encodeName(copy).constData());
                        else
                            keep(bytes, copy);
                        return result;
                    }
                }
                if (file.endsWith(u".new"))
                    QFile::remove(file);
            }
            if (fallBack && file != copy && QFileInfo::exists(copy) && !stop) {
                QString ignored;
                OwnListReading reading = ReadOwnList(readWhole(copy, ignored));
                if (!reading.list.empty()) {
                    result.list = std::make_shared<const OwnList>(std::move(reading.list));
                    result.fromCopy = true;
                }
            }
            return result;
        },
        [this, id, name, copy, file, fetchError](Result result) {
            if (!result.list && file == copy) {
                // The kept copy is damaged: the source gives it again.
                QFile::remove(copy);
                return load(list_, true);
            }
            if (result.list)
                emit loaded(id, result.list);
            // A copy shown at start is brought up to date in the background
            // once it is a day old.
            if (result.list && file == copy && IsWebAddress(list_.source)
                && QFileInfo(copy).lastModified().secsTo(QDateTime::currentDateTime()) > RefreshAfterSeconds)
                fetch_.get(list_.source.trimmed(), copy + QStringLiteral(".new"));
            QString why = !fetchError.isEmpty()
                ? QStringLiteral("La liste « %1 » n'a pas pu être chargée : %2.").arg(name, fetchError)
                : result.error.isEmpty() ? QString()
                                         : QStringLiteral("« %1 » : %2").arg(name, result.error);
            if (why.isEmpty())
                return;
            if (result.fromCopy)
                why += QStringLiteral(" La dernière copie de la liste est affichée.");
            emit failed(id, why);
        });
}

} // namespace zv
