#pragma once
// A programme guide read from XMLTV, as an index the window asks: what is on
// a channel now and next, a channel's programmes for a day, which channel a
// list row stands for. Compact (a few offsets per programme into one UTF-8
// text), immutable once built, and saved to and loaded from a cache file as
// it is. No widgets here.
#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zv {

// An XMLTV time ("YYYYMMDDhhmmss +hhmm"; seconds, minutes and the offset may
// be left out, the offset may be written +hh:mm or Z) as seconds since 1970 in
// UTC. A time without an offset is UTC. Nothing when it is no such time.
std::optional<qint64> ParseXmltvTime(QByteArrayView text);
std::optional<qint64> ParseXmltvTime(QStringView text);

struct GuideProgramme {
    qint64 start = 0; // seconds since 1970, UTC
    qint64 stop = 0; // equal to start when the guide does not say when it ends
    QString title;
    QString subTitle;
    QString description; // its beginning only
    QDateTime startTime() const { return QDateTime::fromSecsSinceEpoch(start, QTimeZone::utc()); }
    QDateTime stopTime() const { return QDateTime::fromSecsSinceEpoch(stop, QTimeZone::utc()); }
};

struct NowNext {
    std::optional<GuideProgramme> now;
    std::optional<GuideProgramme> next;
    double progress = 0; // how much of `now` has passed, 0 to 1
};

class GuideIndex {
public:
    int channelCount() const { return int(channels_.size()); }
    QString channelId(int channel) const;
    QStringList displayNames(int channel) const;
    // Whether a <channel> element declared it (programmes may name channels
    // the guide never declares; they get one of their own, without a name).
    bool declared(int channel) const;

    // The channel with this id: as written, else whatever its case. -1: none.
    int channelForId(QStringView id) const;
    // The channel one of whose display names gives the same ChannelNameKey.
    int channelForName(QStringView name) const;
    // A list row's channel: by its tvg-id, else by its tvg-name, else by its
    // title. -1 when the guide has none of them.
    int matchRow(QStringView tvgId, QStringView tvgName, QStringView title) const;

    // A channel's programmes, by start time, without repeats or overlaps.
    int programmeCount(int channel) const;
    GuideProgramme programme(int channel, int i) const;
    NowNext nowNext(int channel, qint64 utcSeconds) const;
    NowNext nowNext(int channel, const QDateTime& when) const
    {
        return nowNext(channel, when.toSecsSinceEpoch());
    }
    // The programmes that run during a day of the given time zone (the
    // user's own by default), the one running at midnight included.
    std::vector<GuideProgramme> day(
        int channel, QDate date, const QTimeZone& zone = QTimeZone::systemTimeZone()) const;

    std::size_t totalProgrammes() const { return programmes_.size(); }
    // The first start and the last end over all channels, 0 for an empty
    // guide: the window refreshes a guide whose end draws near.
    qint64 firstStart() const { return firstStart_; }
    qint64 lastStop() const { return lastStop_; }

    // The index as bytes for a cache file, and back. Loading checks every
    // offset, so a damaged cache file gives nothing rather than a wrong index.
    QByteArray save() const;
    static std::optional<GuideIndex> load(QByteArrayView bytes);
    static bool isSaved(QByteArrayView head);

    // Bytes held, for the memory the index costs.
    std::size_t memoryUse() const;

    struct Text {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    struct Channel {
        Text id;
        std::uint32_t firstName = 0;
        std::uint32_t nameCount = 0;
        std::uint32_t firstProgramme = 0;
        std::uint32_t programmeCount = 0;
        std::uint32_t declared = 1;
    };
    struct Programme {
        qint64 start = 0;
        qint64 stop = 0;
        Text title, subTitle, description;
    };

private:
    friend class GuideBuilder;
    QString text(Text t) const
    {
        return QString::fromUtf8(text_.constData() + t.offset, qsizetype(t.length));
    }
    QByteArrayView view(Text t) const
    {
        return QByteArrayView(text_.constData() + t.offset, qsizetype(t.length));
    }
    GuideProgramme toProgramme(const Programme& p) const;
    const Programme* begin(int channel) const;
    const Programme* end(int channel) const;
    void buildLookups();

    QByteArray text_; // UTF-8
    std::vector<Channel> channels_;
    std::vector<Text> names_;
    std::vector<Programme> programmes_;
    qint64 firstStart_ = 0;
    qint64 lastStop_ = 0;
    // Rebuilt after reading and loading.
    QHash<QByteArray, int> byId_;
    QHash<QByteArray, int> byFoldedId_;
    QHash<QByteArray, int> byName_;
};

// Gathers channels and programmes in any order, then makes the index: each
// channel's programmes sorted, repeats dropped, a missing stop (or one before
// the start) taken from the next start, overlaps cut at the next start.
class GuideBuilder {
public:
    GuideBuilder();
    ~GuideBuilder();
    GuideBuilder(const GuideBuilder&) = delete;
    GuideBuilder& operator=(const GuideBuilder&) = delete;

    // Texts in UTF-8. A channel declared twice gathers the names of both.
    void addChannel(QByteArrayView id, const std::vector<QByteArray>& displayNames);
    // stop: nothing when the guide does not give it.
    void addProgramme(QByteArrayView channel, qint64 start, std::optional<qint64> stop, QByteArrayView title,
        QByteArrayView subTitle, QByteArrayView description);
    std::size_t programmeCount() const;
    GuideIndex finish();

private:
    struct Data;
    std::unique_ptr<Data> d_;
};

} // namespace zv
