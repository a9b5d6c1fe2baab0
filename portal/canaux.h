#pragma once
// Readers of the channel lists: the portal's record lists (television, radios,
// clips) and the operators' M3U bouquets. Pure functions over the answer bytes.
#include <QByteArray>
#include <QByteArrayView>
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
std::vector<ChannelRow> ParseChannelRecords(const QByteArray& body, ChannelIcons icons);

// An operator's M3U playlist: "#EXTINF:" lines give the title of the address
// line that follows ("#EXTVLCOPT:" lines between them keep it); every row
// plays in VLC.
std::vector<ChannelRow> ParseM3uBouquet(const QByteArray& body);

} // namespace zv
