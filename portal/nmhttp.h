#pragma once
// TNMHTTP: the HTTP fetch component behind every portal request and download.
// Get() sends one HTTP/1.0 GET, reads the answer to the close and waits in a
// nested event loop, so the window stays live; it returns only after the
// component's callbacks have run. Transport failures are thrown as zv::Error
// with the component's French texts.

#include <QByteArray>
#include <QList>
#include <QObject>

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
    int TimeOut = 0;                // ms; 0 = none. Connection and each wait between chunks
    bool InputFileMode = false;
    bool OutputFileMode = false;
    int Port = 0; // 0 means 80; a port written in the URL wins
    THeaderInfo HeaderInfo;
    qint64 BytesReceived = 0;
    qint64 BytesExpected = 0; // Content-Length, 0 when absent

    std::function<void(int cmd)> OnSuccess; // status below 299
    std::function<void(int cmd)> OnFailure; // status 400 and above
    // Raised after the request lines are composed, before connecting; a handler may
    // append raw header lines (without line ends).
    std::function<void(QList<QByteArray>& headerLines)> OnAboutToSend;
    std::function<void()> OnPacketRecvd; // after each body chunk is counted

    bool Busy() const { return busy_; }
    int StatusCode() const { return status_; } // status of the last answer, 0 if none

    // url: host[:port] followed by path and query, or anything containing "//"
    // (the host is then taken after it). Throws zv::Error on transport failure.
    void Get(const QByteArray& url);
    // Stops the request under way; callable from any handler that runs during a wait.
    void Abort();

private:
    struct Request;
    void run(QByteArray url);

    bool busy_ = false;
    int status_ = 0;
    Request* current_ = nullptr;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
