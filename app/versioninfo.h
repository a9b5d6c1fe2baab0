#pragma once
// The program's version information, read from the version record compiled
// into it and queried by path the way a version resource is.
#include <QByteArray>
#include <QMap>
#include <QString>

namespace zv {

// A version record: values by path. "\" holds the fixed file information (two
// little-endian 32-bit words: file version most and least significant),
// "\VarFileInfo\Translation" the translation table (32-bit entries, language in
// the low half, code page in the high half), "\StringFileInfo\<key>\<Name>" the
// Windows-1252 texts. Paths compare case-insensitively.
class VersionRecord {
public:
    void set(const QString& path, const QByteArray& value);
    bool query(const QString& path, QByteArray& value) const;
    bool isEmpty() const { return values_.isEmpty(); }

    // The record built into this program from the project version.
    static const VersionRecord& program();

private:
    QMap<QString, QByteArray> values_;
};

} // namespace zv

class TAppVersionInfo {
public:
    // Reads the program's own record.
    TAppVersionInfo();
    // Reads the given record; nullptr stands for a file without one.
    explicit TAppVersionInfo(const zv::VersionRecord* record);

    quint32 TranslationCode = 0;
    QString TranslationKey; // "%4.4x%4.4x": language then code page
    QString CompanyName;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString LegalCopyright;
    QString OriginalFilename;
    QString ProductName;
    QString ProductVersion;
    QString Comments;
    int Major = 0;
    int Minor = 0;
    int Release = 0;
    int Build = 0;

private:
    void read(const zv::VersionRecord& record);
};
