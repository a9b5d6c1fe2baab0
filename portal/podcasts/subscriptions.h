#pragma once
// Podcast subscription lists as podcast clients import and export them: OPML
// 1.0 and 2.0, nested outlines as folders, read forgivingly and written so
// that reading them back gives the same tree. No widgets here.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>
#include <vector>

namespace zv {

// A podcast (the address of its feed) or a folder of podcasts and folders.
struct PodcastOutline {
    QString title; // may be empty for a podcast: show its address
    QString feedUrl; // empty for a folder
    QString siteUrl; // the podcast's web page, when the list names one
    std::vector<PodcastOutline> children; // a folder's contents, in order

    bool isFolder() const { return feedUrl.isEmpty(); }
    bool operator==(const PodcastOutline&) const = default;
};

struct SubscriptionReading {
    QString title; // the list's own title, empty without one
    std::vector<PodcastOutline> outlines; // the top level, in order
    int podcasts = 0; // podcasts in the tree
    // Empty when the whole file was read; otherwise a French message: why
    // nothing could be read, or where reading stopped (what came before is
    // kept).
    QString error;
    // Empty when every podcast of the file was taken; otherwise a French
    // message on those left out (a duplicate is kept once, where it first
    // appears; a relative address without a base and an address that is not
    // http or https are left out).
    QString notice;
};

// A feed address as it is kept and compared: http or https, the schemes
// podcast links use (feed:, itpc:, pcast:, podcast:) turned into those,
// without its fragment or a default port. A relative address is resolved
// against `base`; without one it has no address. Empty when the text names
// no usable address. (For an address the user types, run it through
// QUrl::fromUserInput first.)
QString FeedAddress(const QString& text, const QUrl& base = {});

// An outline with an xmlUrl attribute (of type "rss" or none) is a podcast;
// one without, holding outlines, a folder (an untitled folder's contents go
// to its parent). Titles are the title attribute, else the text attribute.
// Any encoding the XML declaration names; UTF-8 otherwise, with stray
// Windows-1252 bytes read as such.
SubscriptionReading ReadSubscriptions(const QByteArray& bytes, const QUrl& base = {});

// An OPML 2.0 file in UTF-8.
QByteArray WriteSubscriptions(const std::vector<PodcastOutline>& outlines, const QString& title,
    const QDateTime& created = QDateTime::currentDateTime());

} // namespace zv
