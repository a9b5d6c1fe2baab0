#pragma once
// How a download address becomes a request, a file name and a proposed target
// file. Plain functions over single-byte text, no widgets.
#include <QByteArray>
#include <QtGlobal>

namespace zv {

struct DownloadAddress {
    bool secure = false; // the address names the https scheme: the request keeps it
    QByteArray host; // after the scheme, up to the first "/"; empty without a "/"
    QByteArray path; // from that "/" on, query included
    QByteArray fileName; // after the last "/", at most 1000 bytes, cut before "?"
};

// A leading scheme ("http://") is dropped with its "://".
DownloadAddress SplitDownloadAddress(const QByteArray& address);

// Host and path, every space of the path written %20; no scheme, except
// "https://" for a secure address, which must not fall back to plain HTTP.
QByteArray DownloadRequest(const DownloadAddress& address);

// "http://" (or "https://") + host + "/".
QByteArray DownloadReferer(const DownloadAddress& address);

// The name offered in the save dialog: the first ".rbs" (that case only)
// becomes ".mp3".
QByteArray ProposedFileName(const QByteArray& fileName);

// Whole percentage received, rounded down and kept within 0..100, for any
// size; -1 when the size is not known (the bar stays where it is).
int DownloadPercent(qint64 received, qint64 total);

} // namespace zv
