#pragma once
// A forgiving streaming reader of XML as guides, feeds and subscription files
// are really written: a bare "&" or an HTML entity ("&eacute;", "&nbsp;") is
// text, a "<" that opens no tag is text, an unquoted attribute is read, an
// element left open inside another is closed with it. What cannot be mended
// (text cut short, an end tag that closes nothing) is noted with its line and
// reading goes on where it can. Text is UTF-8: XmlUtf8Stream brings any
// encoding there first. No widgets here.
#include "portal/utf8repair.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>
#include <cstdint>
#include <optional>
#include <vector>

namespace zv {

// The bytes of an XML document as UTF-8, a piece at a time: the encoding is
// the one its byte order mark or XML declaration names; UTF-8 (the default)
// is taken as it is, any byte that is not UTF-8 read as Windows-1252.
class XmlUtf8Stream {
public:
    QByteArray take(const QByteArray& piece);
    QByteArray end();

private:
    enum class Mode { Unknown, Utf8, Decode };
    Mode mode_ = Mode::Unknown;
    Utf8Repairer repairer_;
    QStringDecoder decoder_;
};

class XmlScanner {
public:
    enum class Token { NeedData, StartElement, EndElement, Text, End };
    enum class Fault { None, Mismatched, Truncated, TooLong };

    // More of the document (UTF-8). Views handed out before are invalid after.
    void addData(const QByteArray& utf8);
    // No more data: what is left open is cut short.
    void endOfData() { ended_ = true; }

    // The next token; NeedData until more data is added or the end is told.
    // A self-closing element gives its StartElement and its EndElement.
    Token next();

    // Of the last StartElement or EndElement.
    QByteArrayView name() const { return name_; }
    // An attribute of the last StartElement, references decoded; null when
    // it has none of that name.
    QByteArray attribute(QByteArrayView name) const;
    // The same as written, references and all: for values that hold none.
    std::optional<QByteArrayView> rawAttribute(QByteArrayView name) const;
    // The last Text token, references decoded (a CDATA section as it is),
    // appended to out as long as out stays within `limit` bytes.
    void appendText(QByteArray& out, qsizetype limit) const;
    bool textIsBlank() const;

    // Elements open, the one just started included.
    int depth() const { return int(open_.size()) - (popNext_ ? 1 : 0); }
    bool sawRoot() const { return sawRoot_; }
    QByteArrayView rootName() const { return rootName_; }

    // The first fault met, and its line (1-based).
    Fault fault() const { return fault_; }
    qint64 faultLine() const { return faultLine_; }

private:
    enum class Step { Made, Skipped, Wait, Stop };
    Step markup(Token& token);
    // The start tag from pos_ to its ">" (or where it breaks off); reading
    // goes on at `next`.
    Token startTag(qsizetype gt, qsizetype next);
    Step endTag(QByteArrayView name, Token& token);
    Step textToken(QByteArrayView text, bool cdata, Token& token);
    Token closeOne();
    void noteFault(Fault fault);
    qint64 lineAt(qsizetype pos) const;
    void push(QByteArrayView name);
    QByteArrayView top() const;
    void pop();

    QByteArray buf_;
    qsizetype pos_ = 0;
    qint64 linesBefore_ = 0; // line breaks in the text dropped from buf_
    bool ended_ = false;
    bool done_ = false;

    QByteArrayView name_;
    QByteArrayView attributes_;
    QByteArrayView text_;
    bool cdata_ = false;
    bool closeNext_ = false; // a self-closing element ends next
    bool popNext_ = false; // the element just ended leaves the stack next
    int implicitCloses_ = 0; // elements an end tag closes before its own

    QByteArray openNames_;
    std::vector<qsizetype> open_; // where each open element's name starts in openNames_
    bool sawRoot_ = false;
    QByteArray rootName_;

    Fault fault_ = Fault::None;
    qint64 faultLine_ = 0;
};

// XML's own references and the HTML names people write in feeds, as UTF-8.
void AppendXmlDecoded(QByteArray& out, QByteArrayView raw, qsizetype limit);

} // namespace zv
