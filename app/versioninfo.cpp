#include "app/versioninfo.h"

#include "portal/cp1252.h"

#include <QtEndian>

namespace zv {

namespace {

QByteArray word32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QString folded(const QString& path)
{
    return path.toCaseFolded();
}

constexpr quint32 kFrench = 0x040C;
constexpr quint32 kWindows1252 = 0x04E4;

VersionRecord buildProgramRecord()
{
    VersionRecord r;
    const quint32 ms = (quint32(ZV_VERSION_MAJOR) << 16) | quint32(ZV_VERSION_MINOR);
    const quint32 ls = (quint32(ZV_VERSION_PATCH) << 16) | quint32(ZV_VERSION_TWEAK);
    r.set(QStringLiteral("\\"), word32(ms) + word32(ls));
    r.set(QStringLiteral("\\VarFileInfo\\Translation"), word32((kWindows1252 << 16) | kFrench));

    const QString prefix = QStringLiteral("\\StringFileInfo\\040c04e4\\");
    const QByteArray fileVersion = QByteArray::number(ZV_VERSION_MAJOR) + '.'
        + QByteArray::number(ZV_VERSION_MINOR) + '.' + QByteArray::number(ZV_VERSION_PATCH) + '.'
        + QByteArray::number(ZV_VERSION_TWEAK);
    const auto text = [&](const char* name, const QString& value) {
        r.set(prefix + QLatin1String(name), toCp1252(value));
    };
    text("CompanyName", QStringLiteral("Zevalo"));
    text("FileDescription",
        QStringLiteral("Zevalo Multimédia, le portail de la télé, de la radio et des jeux"));
    text("FileVersion", QString::fromLatin1(fileVersion));
    text("InternalName", QStringLiteral("zevalo"));
    text("LegalCopyright", QStringLiteral("© Zevalo. Tous droits réservés."));
    text("OriginalFilename", QStringLiteral("zevalo"));
    text("ProductName", QStringLiteral("Zevalo Multimédia"));
    text("ProductVersion", QString::number(ZV_VERSION_MAJOR));
    text("Comments", QString());
    return r;
}

} // namespace

void VersionRecord::set(const QString& path, const QByteArray& value)
{
    values_.insert(folded(path), value);
}

bool VersionRecord::query(const QString& path, QByteArray& value) const
{
    const auto it = values_.constFind(folded(path));
    if (it == values_.cend())
        return false;
    value = it.value();
    return true;
}

const VersionRecord& VersionRecord::program()
{
    static const VersionRecord record = buildProgramRecord();
    return record;
}

} // namespace zv

TAppVersionInfo::TAppVersionInfo()
    : TAppVersionInfo(&zv::VersionRecord::program())
{
}

TAppVersionInfo::TAppVersionInfo(const zv::VersionRecord* record)
{
    if (record)
        read(*record);
}

void TAppVersionInfo::read(const zv::VersionRecord& record)
{
    QByteArray v;
    if (record.query(QStringLiteral("\\VarFileInfo\\Translation"), v) && v.size() >= 4) {
        TranslationCode = qFromLittleEndian<quint32>(v.constData());
        TranslationKey = QString::asprintf("%4.4x%4.4x", TranslationCode & 0xFFFF, TranslationCode >> 16);
    }

    const auto text = [&](const char* name) {
        QByteArray value;
        if (!record.query(
                QStringLiteral("\\StringFileInfo\\%1\\%2").arg(TranslationKey, QLatin1String(name)), value))
            return QString();
        // Resource strings end with their terminating zero.
        const qsizetype nul = value.indexOf('\0');
        return zv::fromCp1252(nul >= 0 ? value.left(nul) : value);
    };
    CompanyName = text("CompanyName");
    FileDescription = text("FileDescription");
    FileVersion = text("FileVersion");
    InternalName = text("InternalName");
    LegalCopyright = text("LegalCopyright");
    OriginalFilename = text("OriginalFilename");
    ProductName = text("ProductName");
    ProductVersion = text("ProductVersion");
    Comments = text("Comments");

    if (record.query(QStringLiteral("\\"), v) && v.size() >= 8) {
        const quint32 ms = qFromLittleEndian<quint32>(v.constData());
        const quint32 ls = qFromLittleEndian<quint32>(v.constData() + 4);
        Major = int(ms >> 16);
        Minor = int(ms & 0xFFFF);
        Release = int(ls >> 16);
        Build = int(ls & 0xFFFF);
    }
}
