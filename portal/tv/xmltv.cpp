#include "portal/tv/xmltv.h"

#include "portal/xmlscan.h"

#include <QBuffer>
#include <QFile>
#include <zlib.h>

namespace zv {

namespace {

constexpr qint64 ReadSize = 256 * 1024;
// Inflated text goes to the XML reader in pieces of at most this size, so
// that a small file that inflates to gigabytes costs no more memory.
constexpr uInt InflatedPiece = 1024 * 1024;
// Texts longer than this are not gathered further.
constexpr qsizetype LongestText = 1024;
constexpr qsizetype LongestTitle = 200;
constexpr qsizetype ShortDescription = 240;

// Gzip (one member or several in a row) or zlib data, inflated a piece at a time.
class Inflater {
public:
    Inflater() { ok_ = inflateInit2(&z_, 15 + 32) == Z_OK; }
    ~Inflater() { inflateEnd(&z_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    void setInput(const QByteArray& in)
    {
        input_ = in;
        z_.next_in = reinterpret_cast<Bytef*>(input_.data());
        z_.avail_in = uInt(input_.size());
    }

    // The next inflated piece of the input given; false once the input is
    // used up or the data is damaged (then failed()).
    bool next(QByteArray& out)
    {
        out.clear();
        if (!ok_ || z_.avail_in == 0)
            return false;
        out.resize(InflatedPiece);
        z_.next_out = reinterpret_cast<Bytef*>(out.data());
        z_.avail_out = InflatedPiece;
        while (ok_ && z_.avail_out > 0 && z_.avail_in > 0) {
            const int status = inflate(&z_, Z_NO_FLUSH);
            if (status == Z_STREAM_END) {
                // Another member may follow; bytes that start none are ignored.
                if (z_.avail_in >= 2 && z_.next_in[0] == 0x1f && z_.next_in[1] == 0x8b)
                    ok_ = inflateReset(&z_) == Z_OK;
                else
                    z_.avail_in = 0;
            } else if (status != Z_OK) {
                ok_ = status == Z_BUF_ERROR;
                break;
            }
        }
        out.truncate(qsizetype(InflatedPiece - z_.avail_out));
        if (out.isEmpty())
            z_.avail_in = 0; // no progress: nothing more to get from this input
        return !out.isEmpty();
    }

    bool failed() const { return !ok_; }

private:
    z_stream z_{};
    QByteArray input_;
    bool ok_ = false;
};

bool isGzip(QByteArrayView head)
{
    return head.size() >= 2 && uchar(head[0]) == 0x1f && uchar(head[1]) == 0x8b;
}

bool looksLikeWebPage(QByteArrayView head)
{
    const QByteArray start = head.first(qMin<qsizetype>(head.size(), 1024)).toByteArray().toLower();
    return start.contains("<!doctype html") || start.contains("<html");
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A text with its blanks folded, its beginning only when longer than
// `limit`, cut between words: the text itself when it needs none of that,
// else written into `out`.
QByteArrayView shortened(QByteArrayView text, QByteArray& out, qsizetype limit)
{
    text = text.trimmed();
    bool plain = text.size() <= limit;
    for (qsizetype i = 0; plain && i < text.size(); ++i)
        plain = !isBlank(text[i]) || (text[i] == ' ' && !isBlank(text[i + 1]));
    if (plain)
        return text;

    out.truncate(0);
    qsizetype i = 0;
    while (i < text.size() && out.size() <= limit) {
        qsizetype word = i;
        while (word < text.size() && !isBlank(text[word]))
            ++word;
        if (!out.isEmpty())
            out.append(' ');
        out.append(text.data() + i, std::min(word - i, limit + 1 - out.size()));
        i = word;
        while (i < text.size() && isBlank(text[i]))
            ++i;
    }
    if (out.size() <= limit)
        return out;
    qsizetype cut = out.lastIndexOf(' ', limit);
    if (cut < limit / 2) {
        // One long word: cut it between two characters.
        cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
            --cut;
    }
    out.truncate(cut);
    out += "\xE2\x80\xA6"; // …
    return out;
}

// The XMLTV elements the index needs, token by token as the text arrives.
class GuideParser {
public:
    enum class State { NeedsData, Ended, NotAGuide };

    void addData(const QByteArray& utf8) { xml_.addData(utf8); }
    void endOfData() { xml_.endOfData(); }

    State pump()
    {
        for (;;) {
            switch (xml_.next()) {
            case XmlScanner::Token::StartElement:
                if (!start())
                    return State::NotAGuide;
                break;
            case XmlScanner::Token::EndElement: end(); break;
            case XmlScanner::Token::Text:
                if (field_ != Field::None && xml_.depth() >= 3)
                    xml_.appendText(text_, LongestText);
                break;
            case XmlScanner::Token::NeedData: return State::NeedsData;
            case XmlScanner::Token::End: return xml_.sawRoot() ? State::Ended : State::NotAGuide;
            }
        }
    }

    const XmlScanner& xml() const { return xml_; }
    GuideBuilder& builder() { return builder_; }

private:
    enum class Field { None, DisplayName, Title, SubTitle, Description };
    enum class Where { None, Channel, Programme };

    bool start()
    {
        const int depth = xml_.depth();
        const QByteArrayView name = xml_.name();
        if (depth == 1)
            return name == "tv";
        if (depth == 2) {
            where_ = Where::None;
            if (name == "programme") {
                where_ = Where::Programme;
                setChannel("channel");
                start_ = ParseXmltvTime(xml_.rawAttribute("start").value_or(QByteArrayView()));
                stop_ = ParseXmltvTime(xml_.rawAttribute("stop").value_or(QByteArrayView()));
                title_.reset();
                subTitle_.reset();
                description_.reset();
            } else if (name == "channel") {
                where_ = Where::Channel;
                setChannel("id");
                names_.clear();
            }
        } else if (depth == 3) {
            field_ = Field::None;
            if (where_ == Where::Channel && name == "display-name")
                field_ = Field::DisplayName;
            else if (where_ == Where::Programme && name == "title")
                field_ = Field::Title;
            else if (where_ == Where::Programme && name == "sub-title")
                field_ = Field::SubTitle;
            else if (where_ == Where::Programme && name == "desc")
                field_ = Field::Description;
            if (field_ != Field::None) {
                text_.truncate(0);
                french_ = xml_.rawAttribute("lang").value_or(QByteArrayView()).startsWith("fr");
            }
        }
        return true;
    }

    void end()
    {
        const int depth = xml_.depth() + 1; // the element that just ended
        if (depth == 3 && field_ != Field::None) {
            switch (field_) {
            case Field::DisplayName: names_.push_back(QByteArrayView(text_).trimmed().toByteArray()); break;
            case Field::Title: title_.offer(text_, french_); break;
            case Field::SubTitle: subTitle_.offer(text_, french_); break;
            case Field::Description: description_.offer(text_, french_); break;
            case Field::None: break;
            }
            field_ = Field::None;
        } else if (depth == 2) {
            if (where_ == Where::Channel && !channel_.isEmpty())
                builder_.addChannel(channel_, names_);
            else if (where_ == Where::Programme && start_ && !channel_.isEmpty())
                builder_.addProgramme(channel_, *start_, stop_,
                    shortened(title_.text, titleScratch_, LongestTitle),
                    shortened(subTitle_.text, subTitleScratch_, LongestTitle),
                    shortened(description_.text, descriptionScratch_, ShortDescription));
            where_ = Where::None;
        }
    }

    // The channel an element names; most follow one another on one channel.
    void setChannel(QByteArrayView attribute)
    {
        const std::optional<QByteArrayView> raw = xml_.rawAttribute(attribute);
        if (!raw || raw->contains('&'))
            channel_ = xml_.attribute(attribute);
        else if (*raw != channel_)
            channel_ = raw->toByteArray();
    }

    // Of several texts in several languages, the first French one, else the
    // first. Buffers change hands rather than being copied.
    struct Chosen {
        QByteArray text;
        bool french = false;
        bool set = false;
        void offer(QByteArray& t, bool fr)
        {
            if (!set || (fr && !french)) {
                text.swap(t);
                french = fr;
                set = true;
            }
        }
        void reset()
        {
            text.truncate(0);
            french = set = false;
        }
    };

    XmlScanner xml_;
    GuideBuilder builder_;
    Where where_ = Where::None;
    Field field_ = Field::None;
    QByteArray text_;
    QByteArray titleScratch_, subTitleScratch_, descriptionScratch_;
    bool french_ = false;
    QByteArray channel_;
    std::vector<QByteArray> names_;
    std::optional<qint64> start_;
    std::optional<qint64> stop_;
    Chosen title_, subTitle_, description_;
};

GuideReading finished(GuideParser& parser, QString error)
{
    GuideReading out;
    auto index = std::make_shared<GuideIndex>(parser.builder().finish());
    if (error.isEmpty() && index->totalProgrammes() == 0)
        error = QStringLiteral("Le guide des programmes ne contient aucun programme.");
    out.index = std::move(index);
    out.error = std::move(error);
    return out;
}

GuideReading cancelled()
{
    GuideReading out;
    out.index = std::make_shared<GuideIndex>();
    out.cancelled = true;
    return out;
}

GuideReading failed(const QString& error)
{
    GuideReading out;
    out.index = std::make_shared<GuideIndex>();
    out.error = error;
    return out;
}

} // namespace

GuideReading ReadGuide(QIODevice& in, const std::atomic<bool>* cancel, const GuideProgress& progress)
{
    const auto stopped = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    const qint64 total = in.isSequential() ? -1 : in.size();
    QByteArray chunk = in.read(ReadSize);
    if (chunk.isEmpty())
        return failed(QStringLiteral("Le guide des programmes est vide."));

    if (GuideIndex::isSaved(chunk)) {
        std::optional<GuideIndex> index = GuideIndex::load(chunk + in.readAll());
        if (!index)
            return failed(QStringLiteral("Le guide des programmes gardé en cache est abîmé."));
        GuideReading out;
        out.index = std::make_shared<GuideIndex>(std::move(*index));
        return out;
    }

    const bool gzip = isGzip(chunk);
    Inflater inflater;
    XmlUtf8Stream text;
    GuideParser parser;
    bool firstPiece = true;
    bool webPage = false;
    qint64 done = 0;
    qint64 reported = 0;
    GuideParser::State state = GuideParser::State::NeedsData;

    // Hands one piece of the guide to the parser; false once it needs no more.
    const auto feed = [&](const QByteArray& piece) {
        if (firstPiece) {
            firstPiece = false;
            webPage = looksLikeWebPage(piece);
            if (webPage)
                return false;
        }
        parser.addData(text.take(piece));
        state = parser.pump();
        return state == GuideParser::State::NeedsData;
    };

    bool more = true;
    while (more && !chunk.isEmpty()) {
        if (stopped())
            return cancelled();
        done += chunk.size();
        if (gzip) {
            inflater.setInput(chunk);
            QByteArray piece;
            while (more && inflater.next(piece)) {
                more = feed(piece);
                if (stopped())
                    return cancelled();
            }
            if (inflater.failed())
                break;
        } else {
            more = feed(chunk);
        }
        if (progress && done - reported >= 4 * 1024 * 1024) {
            progress(done, total);
            reported = done;
        }
        if (more)
            chunk = in.read(ReadSize);
    }
    if (progress)
        progress(done, total);
    if (webPage)
        return failed(QStringLiteral("Cette adresse donne une page web, pas un guide des programmes XMLTV."));
    if (firstPiece && gzip)
        return failed(QStringLiteral("Le guide des programmes compressé est abîmé."));
    if (state == GuideParser::State::NeedsData) {
        parser.addData(text.end());
        parser.endOfData();
        state = parser.pump();
    }
    if (state == GuideParser::State::NotAGuide)
        return failed(QStringLiteral("Ce fichier n'est pas un guide des programmes XMLTV."));

    const XmlScanner& xml = parser.xml();
    QString error;
    if (gzip && inflater.failed())
        error = QStringLiteral("Le guide des programmes compressé est abîmé : seuls les programmes qui "
                               "précèdent ont été lus.");
    else if (xml.fault() == XmlScanner::Fault::Truncated)
        error = QStringLiteral(
            "Le guide des programmes est incomplet : seuls les programmes reçus ont été lus.");
    else if (xml.fault() != XmlScanner::Fault::None)
        error = QStringLiteral(
            "Le guide des programmes est abîmé à la ligne %1 : ce qui a pu être lu a été gardé.")
                    .arg(xml.faultLine());
    return finished(parser, error);
}

GuideReading ReadGuide(const QByteArray& bytes, const std::atomic<bool>* cancel)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadGuide(buffer, cancel);
}

GuideReading ReadGuideFile(
    const QString& path, const std::atomic<bool>* cancel, const GuideProgress& progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failed(QStringLiteral("Le guide des programmes n'a pas pu être ouvert."));
    return ReadGuide(file, cancel, progress);
}

} // namespace zv
