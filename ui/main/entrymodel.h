#pragma once
// The rows of the sections' lists and trees. Every list answers the same
// roles, so that the window, the desktop controls and the delegates read a
// row the same way whatever the section: what it plays (AddressRole), the
// portal's id for it (ContentIdRole) and what kind of row it is (KindRole).
// The channel list keeps a model of its own (channelmodel.h); the files,
// podcasts, MP3 search, favourites, videos and games live in TEntryModel.
#include <QAbstractItemModel>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace zv {

// One kind per section's list, one per level of its trees.
enum class EntryKind {
    None,
    Channel, // the channel list
    File, // "Mes fichiers": a local file or a typed address
    Episode, // an episode of a podcast's feed
    Mp3, // an MP3 search result
    Favourite, // "Mes MP3"
    Video, // a video search result
    GameCategory,
    Game,
    PodcastGroup,
    PodcastSubgroup,
    Podcast,
    OwnFolder, // "Mes podcasts" (id 0) and the user's folders; contentId: its id in the user state
    OwnPodcast, // a podcast the user added; contentId: its id, address: its feed
};

// What the user has made of a row so far.
enum class EntryMark { None, New, Heard };

enum EntryRole {
    AddressRole = Qt::UserRole + 1, // QString: what plays; for a podcast, its feed
    ContentIdRole, // int: the portal's id (view notice, game, podcast), 0 for none
    KindRole, // int: an EntryKind
    FolderRole, // QString: a file's folder, ending with its separator
    DurationRole, // QString: a video's duration as the portal writes it
    ThumbnailRole, // QString: a video's picture address
    PositionRole, // qint64: where playing stopped, in ms; no value: from the start
    MarkRole, // int: an EntryMark
    PublishedRole, // QDateTime: when an episode came out; invalid when the feed does not say
};

struct Entry {
    EntryKind kind = EntryKind::None;
    QString caption;
    QString address;
    int contentId = 0;
    QString folder;
    QString duration;
    QDateTime published;
    QString thumbnail;
    qint64 positionMs = -1; // -1: none remembered
    EntryMark mark = EntryMark::None;

    bool operator==(const Entry&) const = default;
};

// What a row says of itself beside its caption, as the lists show it and a
// screen reader reads it: "Nouveau", "Écouté" ("Vu" for a video), "Arrêté à
// 12:34"; empty for none.
QString MarkText(const Entry& entry);
// An episode's date and length: "9 mars 2024 · 1:02:30"; empty when the feed
// gives neither.
QString DetailText(const Entry& entry);
// "12:34", "1:02:30".
QString ClockText(qint64 ms);

} // namespace zv

// A list, or a tree, of entries. Column 0 shows the caption; a second column,
// when the headers name one, the folder.
class TEntryModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TEntryModel(QStringList headers, QObject* parent = nullptr);
    ~TEntryModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Only what the user makes of a row changes in place: PositionRole
    // (a number of ms, or no value to forget it) and MarkRole.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    // Rows after the last child of parent; the index of the one added.
    QModelIndex append(zv::Entry entry, const QModelIndex& parent = {});
    void append(std::vector<zv::Entry> entries, const QModelIndex& parent = {});
    void clear();

    // The entry of a row of this model, nullptr for anything else.
    const zv::Entry* entry(const QModelIndex& index) const;
    // The entries directly under parent, in order.
    std::vector<zv::Entry> entries(const QModelIndex& parent = {}) const;
    // How deep a row is: 0 for a top row.
    static int level(const QModelIndex& index);

private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node, int column = 0) const;

    QStringList headers_;
    std::unique_ptr<Node> root_;
};
