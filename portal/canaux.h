#pragma once
// Readers of the channel lists: the portal's record lists (television, radios,
// clips) and the operators' M3U bouquets. Pure functions over the answer bytes.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <iterator>
#include <span>
#include <vector>

namespace zv {

// One playable entry of a channel list.
struct ChannelRow {
    QByteArray caption; // display name, Windows-1252
    QByteArray url; // what the player frame is given (may carry an engine prefix)
    int data = 0; // content id, 0 when absent
    int imageIndex = -1;
};

// A channel list read in place: each field of a row is a slice of the answer it
// came from, which the table keeps (shared, not copied). A row costs 32 bytes
// beyond the answer, so a million channels fit beside their 120 MB answer.
// Answers are read up to 4 GiB (the fetch component stops text far below).
class ChannelTable {
public:
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // Row i with its fields copied out. i < size().
    ChannelRow operator[](std::size_t i) const;
    QByteArray caption(std::size_t i) const;
    QByteArray url(std::size_t i) const;
    int data(std::size_t i) const;
    int imageIndex(std::size_t i) const;

    // The rows of other after these.
    void append(ChannelTable other);

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = ChannelRow;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = ChannelRow;

        const_iterator() = default;
        const_iterator(const ChannelTable* table, std::size_t i)
            : table_(table)
            , i_(i)
        {
        }
        ChannelRow operator*() const { return (*table_)[i_]; }
        const_iterator& operator++()
        {
            ++i_;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++i_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return i_ == other.i_; }

    private:
        const ChannelTable* table_ = nullptr;
        std::size_t i_ = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }

    // Where a row's fields lie.
    struct Entry {
        std::uint32_t caption = 0; // first caption byte: in the answer, or in the rewritten text
        std::uint32_t captionHead = 0; // caption bytes from there
        std::uint32_t keySkip = 0; // bytes left out after them (a "[key]")
        std::uint32_t captionTail = 0; // caption bytes after the key
        std::uint32_t url = 0; // first address byte, in the answer
        std::uint32_t urlLength = 0;
        std::int32_t data = 0;
        std::int8_t imageIndex = -1;
        std::uint8_t flags = 0;
    };
    enum EntryFlag : std::uint8_t { VlcPrefix = 1, CaptionRewritten = 2 };

    // One answer and the rows read from it.
    struct Part {
        QByteArray answer;
        QByteArray rewritten; // captions the reader had to change (UTF-8 repair)
        std::vector<Entry> entries;
    };
    explicit ChannelTable(Part part = {});

private:
    const Part& partOf(std::size_t& i) const;

    std::vector<Part> parts_;
    std::size_t size_ = 0;
};

// The icon set the list shows; decides how a record's bracket key is looked up.
enum class ChannelIcons { None, Tele, Video };

// Flag keys of the television and radio lists, position = icon index.
inline constexpr const char* FlagCodes[]
    = {"za", "de", "uk", "ar", "au", "at", "be", "br", "ca", "cn", "es", "fi", "fr", "gr", "nl", "hu", "in",
        "ie", "il", "it", "jp", "mx", "no", "nz", "pl", "pt", "cz", "ro", "sk", "se", "ch", "tr", "us"};
inline constexpr int FlagCount = int(std::size(FlagCodes));
// Badge keys of the video clip list.
inline constexpr const char* VideoBadgeCodes[] = {"new"};

// Splits text into lines the way a string list does: CR LF, CR or LF end a line,
// a break at the very end adds no empty line.
std::vector<QByteArray> SplitLines(QByteArrayView text);

// The text between the first "[" and the first "]" when that "[" comes before
// that "]", and the text without the bracket pair; otherwise the text unchanged.
void ExtractBracketToken(const QByteArray& text, QByteArray& rest, QByteArray& token);

// Index of key in table[0..lastIndex], compared upper-cased, searched from the
// end; -1 when absent.
int FindTextNoCase(std::span<const char* const> table, int lastIndex, QByteArrayView key);

// The portal's record list: records separated by "||" or line breaks, each
// "name@@address" optionally followed by "##id". The name may hold "[key]".
ChannelTable ReadChannelRecords(const QByteArray& body, ChannelIcons icons);
std::vector<ChannelRow> ParseChannelRecords(const QByteArray& body, ChannelIcons icons);

// An operator's M3U playlist: "#EXTINF:" lines give the title of the address
// line that follows ("#EXTVLCOPT:" lines between them keep it); every row
// plays in VLC.
ChannelTable ReadM3uBouquet(const QByteArray& body);
std::vector<ChannelRow> ParseM3uBouquet(const QByteArray& body);

} // namespace zv
