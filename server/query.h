#pragma once
// A request's query string read the tolerant way: bytes as they came, decoded
// on demand, flags without "=" allowed ("t=3&colid").
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace zvs {

class Query {
public:
    explicit Query(const QByteArray& raw = {});

    bool has(const QByteArray& key) const;
    // Percent-decoded value of the first occurrence ("+" is a space).
    std::optional<QByteArray> value(const QByteArray& key) const;
    std::optional<QByteArray> rawValue(const QByteArray& key) const; // undecoded
    // Everything after "key=" up to the end, undecoded: for values that the
    // client sends without encoding and that may hold '&' themselves.
    std::optional<QByteArray> rest(const QByteArray& key) const;
    const QByteArray& raw() const { return raw_; }

private:
    QByteArray raw_;
    QList<QPair<QByteArray, QByteArray>> pairs_; // raw key, raw value
};

// A name sent by the client, whatever it went through: percent-decoded once or
// twice, accent-escaped or not, Windows-1252 or UTF-8.
QString clientName(const QByteArray& rawValue);
// Search keywords: decoded, then split into words at spaces, "_" and "+".
QStringList keywordWords(const QString& keywords);
// A whole number made of digits only, within 0..max; nothing else.
std::optional<long> parseCount(const QByteArray& text, long max);

} // namespace zvs
