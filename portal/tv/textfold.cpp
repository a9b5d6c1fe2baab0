#include "portal/tv/textfold.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace zv {

namespace {

// Marks that people leave out when they type: the accents of the Latin,
// Greek and Cyrillic scripts, Hebrew points, Arabic vowel signs. Marks that
// make another letter (Indic vowel signs, the kana voicing marks) stay.
bool isAccent(char32_t c)
{
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0483 && c <= 0x0489) || (c >= 0x0591 && c <= 0x05C7)
        || (c >= 0x0610 && c <= 0x061A) || (c >= 0x064B && c <= 0x065F) || c == 0x0670
        || (c >= 0x06D6 && c <= 0x06ED) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF)
        || (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

// What one character folds to, as UTF-8. Empty: nothing (a format character,
// a mark). A single space: a blank.
QByteArray foldCodePoint(char32_t cp)
{
    const QString one = QString::fromUcs4(&cp, 1);
    if (one.isEmpty())
        return {};
    const QChar::Category category = QChar::category(cp);
    if (category == QChar::Other_Control || QChar::isSpace(cp) || category == QChar::Separator_Line
        || category == QChar::Separator_Paragraph)
        return " ";
    if (category == QChar::Other_Format || category == QChar::Other_Surrogate
        || category == QChar::Other_NotAssigned)
        return category == QChar::Other_NotAssigned ? one.toUtf8() : QByteArray();

    QString decomposed = one.normalized(QString::NormalizationForm_KD);
    QString kept;
    kept.reserve(decomposed.size());
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        char32_t c = decomposed[i].unicode();
        if (decomposed[i].isHighSurrogate() && i + 1 < decomposed.size()) {
            c = QChar::surrogateToUcs4(decomposed[i], decomposed[i + 1]);
            ++i;
        }
        if (isAccent(c) || QChar::category(c) == QChar::Other_Format)
            continue;
        kept += QString::fromUcs4(&c, 1);
    }
    QString folded = kept.toCaseFolded();
    // Letters that are no letter plus accent, written out as people type them.
    static const std::array<std::pair<char16_t, const char*>, 12> spelled{
        {{u'œ', "oe"}, {u'æ', "ae"}, {u'ß', "ss"}, {u'ø', "o"}, {u'ł', "l"}, {u'đ', "d"}, {u'ð', "d"},
            {u'þ', "th"}, {u'ħ', "h"}, {u'ı', "i"}, {u'ŧ', "t"}, {u'ĸ', "k"}}};
    for (const auto& [letter, spelling] : spelled)
        folded.replace(QChar(letter), QLatin1StringView(spelling));
    if (folded.trimmed().isEmpty())
        return folded.isEmpty() ? QByteArray() : QByteArray(" ");
    return folded.toUtf8();
}

// Every character of the Basic Multilingual Plane folded once, on first use:
// (length << 24) | offset into the pool, or Blank.
class FoldTable {
public:
    static constexpr std::uint32_t Blank = 0xFFFFFFFFu;

    FoldTable()
        : entries_(0x10000)
    {
        pool_.reserve(0x10000 * 2);
        for (char32_t cp = 0; cp < 0x10000; ++cp) {
            const QByteArray folded = (cp >= 0xD800 && cp <= 0xDFFF) ? QByteArray() : foldCodePoint(cp);
            if (folded == " ") {
                entries_[cp] = Blank;
                continue;
            }
            entries_[cp] = (std::uint32_t(folded.size()) << 24) | std::uint32_t(pool_.size());
            pool_ += folded;
        }
    }

    std::uint32_t entry(char16_t c) const { return entries_[c]; }
    const char* pool() const { return pool_.constData(); }

private:
    std::vector<std::uint32_t> entries_;
    QByteArray pool_;
};

const FoldTable& foldTable()
{
    static const FoldTable table; // thread-safe first use: guides are read on workers
    return table;
}

// Appends folded characters, one blank between words and none at the ends.
// Writes straight into the array, which it sizes as it goes and trims when
// done: a million rows are folded at once.
class Folder {
public:
    Folder(QByteArray& out, qsizetype expected)
        : out_(out)
        , table_(foldTable())
        , start_(out.size())
        , n_(out.size())
    {
        out_.resize(n_ + expected + 16);
        p_ = out_.data();
    }
    ~Folder() { out_.truncate(n_); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    void ascii(char c)
    {
        if (c >= 'A' && c <= 'Z') {
            put(char(c + ('a' - 'A')));
        } else if (c <= ' ' || c == 0x7F) {
            blank_ = true;
        } else {
            put(c);
        }
    }

    void bmp(char16_t c)
    {
        if (c < 0x80)
            return ascii(char(c));
        const std::uint32_t e = table_.entry(c);
        if (e == FoldTable::Blank) {
            blank_ = true;
            return;
        }
        const qsizetype length = qsizetype(e >> 24);
        if (length > 0)
            write(table_.pool() + (e & 0xFFFFFF), length);
    }

    void codePoint(char32_t cp)
    {
        if (cp < 0x10000)
            return bmp(char16_t(cp));
        const QByteArray folded = foldCodePoint(cp);
        if (folded == " ")
            blank_ = true;
        else if (!folded.isEmpty())
            write(folded.constData(), folded.size());
    }

private:
    void room(qsizetype more)
    {
        if (n_ + more + 1 > out_.size()) {
            out_.resize(std::max(out_.size() * 2, n_ + more + 64));
            p_ = out_.data();
        }
    }
    void put(char c)
    {
        room(1);
        separate();
        p_[n_++] = c;
    }
    void write(const char* s, qsizetype length)
    {
        room(length);
        separate();
        std::memcpy(p_ + n_, s, std::size_t(length));
        n_ += length;
    }
    // Called with room for one byte more than the text to come.
    void separate()
    {
        if (blank_ && n_ > start_)
            p_[n_++] = ' ';
        blank_ = false;
    }

    QByteArray& out_;
    const FoldTable& table_;
    const qsizetype start_;
    qsizetype n_;
    char* p_;
    bool blank_ = false;
};

// The next code point of UTF-8 text at i (advanced past it); bytes that are
// not UTF-8 are skipped. Returns false at the end.
bool nextUtf8(QByteArrayView s, qsizetype& i, char32_t& cp)
{
    const qsizetype n = s.size();
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            cp = b;
            ++i;
            return true;
        }
        int extra = 0;
        char32_t min = 0;
        if ((b & 0xE0) == 0xC0) {
            extra = 1;
            cp = b & 0x1F;
            min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            cp = b & 0x0F;
            min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            cp = b & 0x07;
            min = 0x10000;
        } else {
            ++i;
            continue;
        }
        if (i + extra >= n) { // cut short by the end
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            ++i;
            continue;
        }
        i += extra + 1;
        return true;
    }
    return false;
}

} // namespace

void AppendFolded(QByteArray& out, QStringView text)
{
    Folder folder(out, text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            folder.codePoint(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            folder.bmp(c.unicode());
        }
    }
}

void AppendFoldedUtf8(QByteArray& out, QByteArrayView utf8)
{
    Folder folder(out, utf8.size());
    qsizetype i = 0;
    const qsizetype n = utf8.size();
    char32_t cp = 0;
    while (i < n) {
        const char c = utf8[i];
        if (static_cast<unsigned char>(c) < 0x80) {
            folder.ascii(c);
            ++i;
        } else if (nextUtf8(utf8, i, cp)) {
            folder.codePoint(cp);
        }
    }
}

QByteArray FoldForSearch(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() + 8);
    AppendFolded(out, text);
    return out;
}

QByteArray FoldUtf8ForSearch(QByteArrayView utf8)
{
    QByteArray out;
    out.reserve(utf8.size() + 8);
    AppendFoldedUtf8(out, utf8);
    return out;
}

namespace {

bool isTagLetter(QChar c)
{
    return c.isLetterOrNumber();
}

// The name without a leading country or provider tag: "FR: ", "FR | ",
// "|FR| ", "[FR] ", "(FR) ": two to four letters or digits. A name that is
// nothing but its tag stays whole.
QStringView withoutLeadingTag(QStringView name)
{
    name = name.trimmed();
    qsizetype i = 0;
    const qsizetype n = name.size();
    QChar close;
    if (n > 0 && (name[0] == u'|' || name[0] == u'[' || name[0] == u'(')) {
        close = name[0] == u'[' ? u']' : name[0] == u'(' ? u')' : u'|';
        ++i;
    }
    const qsizetype tagStart = i;
    while (i < n && isTagLetter(name[i]))
        ++i;
    const qsizetype tagLength = i - tagStart;
    if (tagLength < 2 || tagLength > 4)
        return name;
    while (i < n && name[i] == u' ')
        ++i;
    if (i >= n)
        return name;
    if (!close.isNull()) {
        if (name[i] != close)
            return name;
    } else if (name[i] != u':' && name[i] != u'|') {
        return name;
    }
    const QStringView rest = name.sliced(i + 1).trimmed();
    return rest.isEmpty() ? name : rest;
}

bool isQualityWord(QStringView token)
{
    static constexpr std::array<const char16_t*, 6> words{u"hd", u"fhd", u"uhd", u"sd", u"4k", u"hevc"};
    for (const char16_t* w : words) {
        if (token == QStringView(w))
            return true;
    }
    return false;
}

} // namespace

QByteArray ChannelNameKey(QStringView name)
{
    const QString folded = QString::fromUtf8(FoldForSearch(withoutLeadingTag(name)));
    std::vector<QStringView> tokens;
    static const QString plus = QStringLiteral("plus");
    const qsizetype n = folded.size();
    qsizetype start = -1;
    for (qsizetype i = 0; i <= n; ++i) {
        const QChar c = i < n ? folded[i] : QChar(u' ');
        const bool word
            = c.isLetterOrNumber() || c.isSurrogate() || c.category() == QChar::Mark_SpacingCombining;
        if (word) {
            if (start < 0)
                start = i;
            continue;
        }
        if (start >= 0)
            tokens.push_back(QStringView(folded).sliced(start, i - start));
        start = -1;
        if (c == u'+')
            tokens.push_back(plus);
    }
    std::size_t kept = tokens.size();
    while (kept > 1 && isQualityWord(tokens[kept - 1]))
        --kept;
    QString key;
    for (std::size_t t = 0; t < kept; ++t)
        key += tokens[t];
    return key.toUtf8();
}

QByteArray ChannelNameKeyUtf8(QByteArrayView utf8)
{
    return ChannelNameKey(QString::fromUtf8(utf8));
}

} // namespace zv
