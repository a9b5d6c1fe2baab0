#pragma once
// TNMHTTP: the HTTP fetch component behind every portal request and download.
// Get() sends one HTTP/1.0 GET, reads the answer to the close and waits in a
// nested event loop, so the window stays live; it returns only after the
// component's callbacks have run. Transport failures are thrown as zv::Error
// with the component's French texts.
//
// A request is driven by its own socket's events: while another request waits
// in a loop nested above its Get, it keeps connecting, receiving, writing its
// file and raising OnPacketRecvd. Only what follows the end of the answer
// (OnSuccess or OnFailure, and the return from Get) waits for the loops above
// to end.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class TNMHTTP : public QObject {
    Q_OBJECT
public:
    static constexpr int CmdGet = 1;

    struct THeaderInfo {
        QByteArray Referer; // empty: no Referer line
    };

    explicit TNMHTTP(QObject* parent = nullptr);
    ~TNMHTTP() override; // aborts a request under way

    // Text mode: the whole answer body after a request, bytes as received.
    // File mode (InputFileMode): the name of the file the body goes to, set by the
    // caller before Get (a local path, UTF-8).
    QByteArray Body = "Default.htm";
    QByteArray Header = "Head.txt"; // after a request: the status line and header lines
    int TimeOut = 0; // ms; 0 = none. Connection and each wait between chunks
    bool InputFileMode = false;
    bool OutputFileMode = false;
    int Port = 0; // 0 means 80; a port written in the URL wins
    THeaderInfo HeaderInfo;
    qint64 BytesReceived = 0;
    qint64 BytesExpected = 0; // Content-Length, 0 when absent

    std::function<void(int cmd)> OnSuccess; // status 1 to 299, after the whole body
    std::function<void(int cmd)> OnFailure; // status 400 and above, or an answer without a status
    // Raised after the request lines are composed, before connecting; a handler may
    // append raw header lines (without line ends).
    std::function<void(QList<QByteArray>& headerLines)> OnAboutToSend;
    std::function<void()> OnPacketRecvd; // after each body chunk is counted

    // True from the start of Get until it has returned, or until Abort: an
    // aborted request gives the component back at once (its Get still ends
    // with its error once the loops above it have ended).
    bool Busy() const { return busy_; }
    // True while the request is on the wire: from the start of Get until the
    // answer has ended, failed or been aborted. It may end long before Get
    // returns when other requests wait above this one.
    bool Connected() const;
    int StatusCode() const { return status_; } // status of the last answer, 0 if none

    // url: host[:port] followed by path and query, or anything containing "//"
    // (the host is then taken after it). Throws zv::Error on transport failure,
    // and zv::Abort when the component was destroyed while the request waited.
    // Errors thrown by the callbacks leave Get once the component is idle again.
    void Get(const QByteArray& url);
    // Stops the request under way at once (its connection is closed and its file
    // released); callable from any handler that runs during a wait. Get then
    // ends with the error of the phase the request was in. An answer that has
    // come but whose callbacks still wait for the loops above is dropped the
    // same way; once the callbacks run, Abort does nothing.
    void Abort();

    // A text-mode body larger than this ends the request with an error.
    static constexpr qint64 MaxTextBody = qint64(256) * 1024 * 1024;
    // Redirects followed for one Get; one more ends the request with an error.
    static constexpr int MaxRedirects = 10;

    // Host name look-up. Tests replace it to steer a slow or failing one: it must
    // call done with the addresses found (none: unknown host) later, from the event
    // loop, or never, and stop when context is destroyed. Empty: the system's.
    using HostLookup = std::function<void(
        const QString& host, QObject* context, std::function<void(const QList<QHostAddress>&)> done)>;
    static void setHostLookup(HostLookup lookup);

private:
    class Request;
    void run(const QByteArray& url);

    bool busy_ = false;
    int status_ = 0;
    Request* current_ = nullptr;
};
