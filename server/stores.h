#pragma once
// What the demo portal keeps between runs, in its data folder: how often each
// content was viewed, and the messages of the contact form.
#include <QByteArray>
#include <QString>
#include <map>
#include <mutex>

namespace zvs {

// vues.txt: "id<TAB>count" lines, rewritten whole (atomically) at each view.
class ViewCounts {
public:
    explicit ViewCounts(const QString& dataDir);

    long count(int id); // one more view; the new count
    QByteArray text(); // "id<TAB>count" lines, CR LF between them

private:
    void save() const; // with mutex_ held; a failed write keeps the counts in memory

    QString path_;
    std::mutex mutex_;
    std::map<int, long> views_;
};

// contact.txt: records appended whole, each synced to disk before the
// sender is thanked.
class ContactBox {
public:
    explicit ContactBox(const QString& dataDir);

    bool append(const QByteArray& record);

private:
    QByteArray path_;
    std::mutex mutex_;
};

} // namespace zvs
