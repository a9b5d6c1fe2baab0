#include "portal/xmlscan.h"

#include "portal/entitytable.h"
#include "portal/utf8repair.h"

#include <QHash>
#include <algorithm>
#include <cctype>
#include <cstring>

namespace zv {

namespace {

// A token or a run of text this long without its end is no XML worth reading.
constexpr qsizetype MaxPending = 32 * 1024 * 1024;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':'
        || static_cast<unsigned char>(c) >= 0x80;
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

const char* find(const char* from, const char* to, QByteArrayView what)
{
    if (to - from < what.size())
        return nullptr;
    if (what.size() == 1)
        return static_cast<const char*>(std::memchr(from, what[0], std::size_t(to - from)));
    const char* hit = std::search(from, to, what.begin(), what.end());
    return hit == to ? nullptr : hit;
}

void appendUtf8(QByteArray& out, char32_t cp)
{
    if (cp < 0x80) {
        out.append(char(cp));
    } else if (cp < 0x800) {
        out.append(char(0xC0 | (cp >> 6)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(char(0xE0 | (cp >> 12)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else {
        out.append(char(0xF0 | (cp >> 18)));
        out.append(char(0x80 | ((cp >> 12) & 0x3F)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    }
}

// Named references: XML's five, the HTML 4 Latin-1 names, and the few beyond
// that feeds and guides write.
const QHash<QByteArray, char32_t>& namedReferences()
{
    static const QHash<QByteArray, char32_t> names = [] {
        QHash<QByteArray, char32_t> n;
        const auto& table = entityTable();
        for (int code = 0; code < 256; ++code) {
            const QByteArray& form = table[std::size_t(code)].forms[2];
            if (form.size() > 2)
                n.insert(form.mid(1, form.size() - 2), char32_t(code));
        }
        const std::pair<const char*, char32_t> more[] = {{"apos", 0x27}, {"lsquo", 0x2018}, {"rsquo", 0x2019},
            {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"hellip", 0x2026}, {"ndash", 0x2013}, {"mdash", 0x2014},
            {"euro", 0x20AC}, {"oelig", 0x0153}, {"OElig", 0x0152}, {"bull", 0x2022}, {"trade", 0x2122}};
        for (const auto& [name, code] : more)
            n.insert(name, code);
        return n;
    }();
    return names;
}

// The code a reference names (what lies between "&" and ";"), or nothing.
std::optional<char32_t> referenceCode(QByteArrayView ref)
{
    if (ref.size() >= 2 && ref[0] == '#') {
        const bool hex = ref[1] == 'x' || ref[1] == 'X';
        const QByteArrayView digits = ref.sliced(hex ? 2 : 1);
        const auto isDigit
            = [hex](char c) { return std::isdigit(uchar(c)) || (hex && std::isxdigit(uchar(c))); };
        if (digits.isEmpty() || digits.size() > 8 || !std::all_of(digits.begin(), digits.end(), isDigit))
            return std::nullopt;
        const char32_t code = digits.toUInt(nullptr, hex ? 16 : 10);
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return std::nullopt;
        return code;
    }
    const auto& names = namedReferences();
    const auto it = names.constFind(QByteArray::fromRawData(ref.data(), ref.size()));
    if (it == names.constEnd())
        return std::nullopt;
    return it.value();
}

} // namespace

void AppendXmlDecoded(QByteArray& out, QByteArrayView raw, qsizetype limit)
{
    qsizetype i = 0;
    const qsizetype n = raw.size();
    while (i < n && out.size() < limit) {
        const char* amp = static_cast<const char*>(std::memchr(raw.data() + i, '&', std::size_t(n - i)));
        const qsizetype at = amp ? amp - raw.data() : n;
        out.append(raw.data() + i, std::min(at - i, limit - out.size()));
        if (at == n)
            break;
        // "&name;" within a few bytes; anything else is a plain "&".
        const qsizetype window = std::min<qsizetype>(12, n - at - 1);
        const char* semi
            = static_cast<const char*>(std::memchr(raw.data() + at + 1, ';', std::size_t(window)));
        const std::optional<char32_t> code = semi
            ? referenceCode(QByteArrayView(raw.data() + at + 1, semi - raw.data() - at - 1))
            : std::nullopt;
        if (code) {
            appendUtf8(out, *code);
            i = semi - raw.data() + 1;
        } else {
            out.append('&');
            i = at + 1;
        }
    }
}

// ---- encodings ------------------------------------------------------------------

namespace {

// The encoding the XML declaration names, empty when it names none.
QByteArray declaredEncoding(QByteArrayView head)
{
    while (!head.isEmpty() && isSpace(head[0]))
        head = head.sliced(1);
    if (!head.startsWith("<?xml"))
        return {};
    QByteArrayView declaration = head.first(std::min<qsizetype>(head.size(), 300));
    if (const qsizetype end = declaration.indexOf("?>"); end >= 0)
        declaration = declaration.first(end);
    const qsizetype at = declaration.indexOf("encoding");
    if (at < 0)
        return {};
    QByteArrayView name = declaration.sliced(at + 8).trimmed();
    if (!name.startsWith('='))
        return {};
    name = name.sliced(1).trimmed();
    if (name.isEmpty() || (name[0] != '"' && name[0] != '\''))
        return {};
    const char quote = name[0];
    name = name.sliced(1);
    if (const qsizetype close = name.indexOf(quote); close >= 0)
        name = name.first(close);
    return name.trimmed().toByteArray();
}

} // namespace

QByteArray XmlUtf8Stream::take(const QByteArray& piece)
{
    if (mode_ == Mode::Unknown) {
        mode_ = Mode::Utf8;
        if (piece.startsWith("\xFF\xFE") || piece.startsWith("\xFE\xFF")) {
            decoder_ = QStringDecoder(
                piece.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
            mode_ = Mode::Decode;
            return QString(decoder_(QByteArrayView(piece).sliced(2))).toUtf8();
        }
        const QByteArray name = declaredEncoding(piece.startsWith("\xEF\xBB\xBF") ? piece.sliced(3) : piece);
        if (!name.isEmpty() && name.compare("utf-8", Qt::CaseInsensitive) != 0
            && name.compare("utf8", Qt::CaseInsensitive) != 0) {
            QStringDecoder decoder(name.constData());
            if (decoder.isValid()) {
                decoder_ = std::move(decoder);
                mode_ = Mode::Decode;
            }
        }
    }
    if (mode_ == Mode::Decode)
        return QString(decoder_(piece)).toUtf8();

    return repairer_.take(piece);
}

QByteArray XmlUtf8Stream::end()
{
    if (mode_ == Mode::Decode)
        return QString(decoder_(QByteArrayView())).toUtf8();
    return repairer_.end();
}

// ---- the scanner ----------------------------------------------------------------

void XmlScanner::addData(const QByteArray& utf8)
{
    // What is left unread (a token cut by the end of the last piece) goes
    // before the new piece; the piece itself is shared, not copied, when
    // nothing is left.
    if (pos_ > 0)
        linesBefore_ += std::count(buf_.constData(), buf_.constData() + pos_, '\n');
    if (pos_ >= buf_.size())
        buf_ = utf8;
    else
        buf_ = QByteArrayView(buf_).sliced(pos_).toByteArray() + utf8;
    pos_ = 0;
}

qint64 XmlScanner::lineAt(qsizetype pos) const
{
    return linesBefore_ + std::count(buf_.constData(), buf_.constData() + std::min(pos, buf_.size()), '\n')
        + 1;
}

void XmlScanner::noteFault(Fault fault)
{
    if (fault_ == Fault::None) {
        fault_ = fault;
        faultLine_ = lineAt(pos_);
    }
}

void XmlScanner::push(QByteArrayView name)
{
    open_.push_back(openNames_.size());
    openNames_.append(name.data(), name.size());
}

QByteArrayView XmlScanner::top() const
{
    return QByteArrayView(openNames_).sliced(open_.back());
}

void XmlScanner::pop()
{
    openNames_.truncate(open_.back());
    open_.pop_back();
    if (open_.empty())
        done_ = true; // the root is closed: what follows is not read
}

XmlScanner::Token XmlScanner::closeOne()
{
    // The name stays where it is until the next token: no copy.
    name_ = top();
    popNext_ = true;
    return Token::EndElement;
}

XmlScanner::Token XmlScanner::next()
{
    if (popNext_) {
        popNext_ = false;
        pop();
    }
    // An element closed by its parent's end tag or by the end of the data,
    // or a self-closing one.
    if (implicitCloses_ > 0) {
        --implicitCloses_;
        return closeOne();
    }
    if (closeNext_) {
        closeNext_ = false;
        return closeOne();
    }
    for (;;) {
        const char* d = buf_.constData();
        const qsizetype n = buf_.size();
        if (done_)
            return Token::End;
        if (pos_ >= n) {
            if (!ended_)
                return Token::NeedData;
            if (!open_.empty()) {
                noteFault(Fault::Truncated);
                implicitCloses_ = int(open_.size()) - 1;
                return closeOne();
            }
            done_ = true;
            return Token::End;
        }
        if (d[pos_] != '<') {
            const char* lt = static_cast<const char*>(std::memchr(d + pos_, '<', std::size_t(n - pos_)));
            if (!lt && !ended_ && n - pos_ < MaxPending)
                return Token::NeedData; // the text goes on in the next piece
            const qsizetype end = lt ? lt - d : n;
            text_ = QByteArrayView(d + pos_, end - pos_);
            cdata_ = false;
            pos_ = end;
            if (open_.empty())
                continue; // text outside the root
            return Token::Text;
        }
        Token token = Token::End;
        switch (markup(token)) {
        case Step::Made: return token;
        case Step::Skipped: break;
        case Step::Wait: return Token::NeedData;
        case Step::Stop:
            // Nothing more is read; what is open closes as at the end.
            ended_ = true;
            pos_ = buf_.size();
            break;
        }
    }
}

// At a "<": reads one piece of markup.
XmlScanner::Step XmlScanner::markup(Token& token)
{
    const char* d = buf_.constData();
    const qsizetype n = buf_.size();
    const char* here = d + pos_;
    const char* end = d + n;
    // Markup whose end is not there yet: wait for more, unless no more comes.
    const auto waitOrCut = [&] {
        if (n - pos_ >= MaxPending) {
            noteFault(Fault::TooLong);
            return Step::Stop;
        }
        if (!ended_)
            return Step::Wait;
        noteFault(Fault::Truncated);
        pos_ = n;
        return Step::Skipped;
    };
    if (n - pos_ < 2)
        return waitOrCut();
    const char c = here[1];
    if (c == '/') {
        const char* gt = find(here + 2, end, ">");
        if (!gt)
            return waitOrCut();
        const QByteArrayView name = QByteArrayView(here + 2, gt - here - 2).trimmed();
        pos_ = gt - d + 1;
        return endTag(name, token);
    }
    if (c == '!') {
        const QByteArrayView rest(here, end - here);
        if (rest.size() < 9 && !ended_
            && (QByteArrayView("<![CDATA[").startsWith(rest) || QByteArrayView("<!--").startsWith(rest)))
            return Step::Wait;
        if (rest.startsWith("<!--")) {
            const char* close = find(here + 4, end, "-->");
            if (!close)
                return waitOrCut();
            pos_ = close - d + 3;
            return Step::Skipped;
        }
        if (rest.startsWith("<![CDATA[")) {
            const char* close = find(here + 9, end, "]]>");
            if (!close)
                return waitOrCut();
            pos_ = close - d + 3;
            return textToken(QByteArrayView(here + 9, close - here - 9), true, token);
        }
        // A declaration (DOCTYPE), with its internal subset in brackets.
        int brackets = 0;
        char quote = 0;
        for (const char* p = here + 2; p < end; ++p) {
            if (quote) {
                if (*p == quote)
                    quote = 0;
            } else if (*p == '"' || *p == '\'') {
                quote = *p;
            } else if (*p == '[') {
                ++brackets;
            } else if (*p == ']') {
                brackets = std::max(0, brackets - 1);
            } else if (*p == '>' && brackets == 0) {
                pos_ = p - d + 1;
                return Step::Skipped;
            }
        }
        return waitOrCut();
    }
    if (c == '?') {
        const char* close = find(here + 2, end, "?>");
        if (!close)
            return waitOrCut();
        pos_ = close - d + 2;
        return Step::Skipped;
    }
    if (!isNameStart(c)) {
        // A "<" that opens nothing is text.
        ++pos_;
        return textToken(QByteArrayView(here, 1), false, token);
    }
    // A start tag ends at the first ">" outside quotes. A "<" (which no
    // attribute may hold) ends one whose quote or ">" is missing.
    char quote = 0;
    for (const char* p = here + 1; p < end; ++p) {
        if (*p == '<') {
            noteFault(Fault::Mismatched);
            token = startTag(p - d, p - d);
            return Step::Made;
        }
        if (quote) {
            if (*p == quote)
                quote = 0;
        } else if (*p == '"' || *p == '\'') {
            quote = *p;
        } else if (*p == '>') {
            token = startTag(p - d, p - d + 1);
            return Step::Made;
        }
    }
    return waitOrCut();
}

// Text outside the root is no token.
XmlScanner::Step XmlScanner::textToken(QByteArrayView text, bool cdata, Token& token)
{
    if (open_.empty())
        return Step::Skipped;
    text_ = text;
    cdata_ = cdata;
    token = Token::Text;
    return Step::Made;
}

XmlScanner::Token XmlScanner::startTag(qsizetype gt, qsizetype next)
{
    const char* d = buf_.constData();
    qsizetype p = pos_ + 1;
    while (p < gt && isNameChar(d[p]))
        ++p;
    name_ = QByteArrayView(d + pos_ + 1, p - pos_ - 1);
    qsizetype attrEnd = gt;
    const bool selfClosing = attrEnd > p && d[attrEnd - 1] == '/';
    if (selfClosing)
        --attrEnd;
    attributes_ = QByteArrayView(d + p, std::max<qsizetype>(0, attrEnd - p));
    pos_ = next;
    if (open_.empty()) {
        sawRoot_ = true;
        rootName_ = name_.toByteArray();
    }
    push(name_);
    closeNext_ = selfClosing;
    return Token::StartElement;
}

XmlScanner::Step XmlScanner::endTag(QByteArrayView name, Token& token)
{
    if (open_.empty())
        return Step::Skipped;
    if (top() == name) {
        token = closeOne();
        return Step::Made;
    }
    // An element left open inside this one closes with it, innermost first;
    // an end tag that closes nothing open is dropped.
    noteFault(Fault::Mismatched);
    for (std::size_t k = open_.size(); k-- > 0;) {
        const qsizetype start = open_[k];
        const qsizetype stop = k + 1 < open_.size() ? open_[k + 1] : openNames_.size();
        if (QByteArrayView(openNames_).sliced(start, stop - start) == name) {
            implicitCloses_ = int(open_.size() - k) - 1;
            token = closeOne();
            return Step::Made;
        }
    }
    return Step::Skipped;
}

std::optional<QByteArrayView> XmlScanner::rawAttribute(QByteArrayView wanted) const
{
    const char* p = attributes_.data();
    const char* end = p + attributes_.size();
    while (p < end) {
        while (p < end && isSpace(*p))
            ++p;
        const char* nameStart = p;
        while (p < end && *p != '=' && !isSpace(*p))
            ++p;
        const QByteArrayView name(nameStart, p - nameStart);
        while (p < end && isSpace(*p))
            ++p;
        if (p >= end || *p != '=') {
            if (p == nameStart)
                ++p;
            continue; // a name without a value
        }
        ++p;
        while (p < end && isSpace(*p))
            ++p;
        const char* valueStart;
        const char* valueEnd;
        if (p < end && (*p == '"' || *p == '\'')) {
            const char quote = *p++;
            valueStart = p;
            while (p < end && *p != quote)
                ++p;
            valueEnd = p;
            if (p < end)
                ++p;
        } else {
            valueStart = p;
            while (p < end && !isSpace(*p))
                ++p;
            valueEnd = p;
        }
        if (name == wanted)
            return QByteArrayView(valueStart, valueEnd - valueStart);
    }
    return std::nullopt;
}

QByteArray XmlScanner::attribute(QByteArrayView name) const
{
    const std::optional<QByteArrayView> raw = rawAttribute(name);
    if (!raw)
        return {};
    if (!raw->contains('&'))
        return raw->isEmpty() ? QByteArray("") : raw->toByteArray();
    QByteArray value("");
    AppendXmlDecoded(value, *raw, MaxPending);
    return value;
}

void XmlScanner::appendText(QByteArray& out, qsizetype limit) const
{
    if (cdata_)
        out.append(text_.data(), std::min(text_.size(), std::max<qsizetype>(0, limit - out.size())));
    else
        AppendXmlDecoded(out, text_, limit);
}

bool XmlScanner::textIsBlank() const
{
    return std::all_of(text_.begin(), text_.end(), isSpace);
}

} // namespace zv
