#pragma once
// The user's own channel lists: extended M3U as providers and playlist tools
// write it (the operators' bouquets keep their own reader in portal/canaux.h).
// Read in place: a row is a few offsets into the list's text, so a list of a
// million entries costs little beyond its own bytes. No widgets here.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace zv {

class SearchIndex;
struct OwnListReading;

// One entry of an own list, with its texts as the window shows them.
struct OwnListRow {
    QString title;
    QString url; // whole, as written (may carry an engine prefix)
    QString group; // empty when the entry has none
    QString tvgId;
    QString tvgName;
    QString logo;
    QStringList options; // its "#EXTVLCOPT:" lines, without the tag
};

// What identifies a remembered row across refreshes of its list.
struct RowIdentity {
    QString url;
    QString tvgId;
    QString name;
};

class OwnList {
public:
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }

    OwnListRow operator[](std::size_t i) const;
    QString title(std::size_t i) const { return text(rows_[i].title); }
    QString url(std::size_t i) const { return text(rows_[i].url); }
    QString tvgId(std::size_t i) const { return text(rows_[i].tvgId); }
    QString tvgName(std::size_t i) const { return text(rows_[i].tvgName); }
    QString logo(std::size_t i) const { return text(rows_[i].logo); }
    QStringList options(std::size_t i) const;
    // UTF-8, without copying, for the readers that fold or match them.
    QByteArrayView titleUtf8(std::size_t i) const { return view(rows_[i].title); }
    QByteArrayView urlUtf8(std::size_t i) const { return view(rows_[i].url); }
    QByteArrayView tvgIdUtf8(std::size_t i) const { return view(rows_[i].tvgId); }
    QByteArrayView tvgNameUtf8(std::size_t i) const { return view(rows_[i].tvgName); }

    // The groups in the order they first appear; a row's group by number, -1
    // when it has none.
    int groupCount() const { return int(groups_.size()); }
    QString groupName(int group) const;
    int group(std::size_t i) const;
    QString groupOf(std::size_t i) const;

    // The programme guides the list's header names ("url-tvg", "x-tvg-url",
    // "tvg-url"; each may hold several addresses separated by commas), once
    // each, in order.
    const QStringList& guideUrls() const { return guideUrls_; }

    // Title and group of every row, folded for the search field.
    std::shared_ptr<const SearchIndex> searchIndex() const;

    // The row each remembered identity stands for now: the first row with
    // the same address, else with the same tvg-id, else with the same title,
    // else whose title gives the same ChannelNameKey. One pass per rule over
    // the list, whatever the number of identities.
    std::vector<std::optional<std::size_t>> locate(std::span<const RowIdentity> identities) const;

    // Where a field lies: in the list's text, or (High bit) in the texts the
    // reader had to rewrite.
    struct Slice {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    static constexpr std::uint32_t Rewritten = 0x80000000u;
    struct Row {
        Slice title, url, tvgId, tvgName, logo;
        std::uint32_t group = NoGroup;
        std::uint32_t firstOption = 0;
        std::uint32_t optionCount = 0;
    };
    static constexpr std::uint32_t NoGroup = UINT32_MAX;

private:
    friend class OwnListReader;
    friend OwnListReading ReadOwnList(const QByteArray& body);
    QByteArrayView view(Slice s) const;
    QString text(Slice s) const { return QString::fromUtf8(view(s)); }

    QByteArray text_; // UTF-8
    QByteArray rewritten_;
    std::vector<Row> rows_;
    std::vector<Slice> groups_;
    std::vector<Slice> options_;
    QStringList guideUrls_;
};

struct OwnListReading {
    OwnList list;
    // Empty when the list was read; otherwise a French message saying why
    // there is nothing to show (a web page, binary data, no entries).
    QString error;
};

// Reads an extended M3U list: UTF-8 or Windows-1252/Latin-1 (told apart by
// what the bytes are; UTF-16 with its byte order mark), with or without a
// byte order mark, any line ends, with or without its "#EXTM3U" header.
OwnListReading ReadOwnList(const QByteArray& body);

} // namespace zv
