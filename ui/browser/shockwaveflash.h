#pragma once
// TShockwaveFlash: the control that plays a game's .swf movie. The movie is
// fetched by the program and handed to Ruffle running in a local page; a movie
// that cannot be fetched or is no SWF shows a French message instead.

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QStackedLayout;
class QWebEngineView;

class TShockwaveFlash : public QWidget {
    Q_OBJECT
public:
    explicit TShockwaveFlash(QWidget* parent = nullptr);
    ~TShockwaveFlash() override;

    // Starts loading and playing the movie at `url`: http(s) URL, portal path as
    // host + path without a scheme, file URL or local path. Returns at once.
    void LoadMovie(const QString& url);
    void setMovie(const QString& url) { LoadMovie(url); }
    QString Movie() const { return movie_; }

    // Keep the control the size of its parent (also after it is re-parented).
    void setFillParent(bool fill);
    bool fillParent() const { return fill_; }

    // The French message shown instead of the movie, empty while none.
    QString errorMessage() const { return error_; }
    bool isPlaying() const { return playing_; }
    QWebEngineView* view() const { return view_; }

    // The folder holding Ruffle's ruffle.js, empty when none is installed.
    // ZEVALO_RUFFLE_DIR overrides the search.
    static QString ruffleDir();
    // True when the data starts with a SWF signature (FWS, CWS or ZWS).
    static bool isSwf(const QByteArray& data);

signals:
    void MovieStarted(); // the movie was handed to the player
    void MovieFailed(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void fetched(QNetworkReply* reply, int generation);
    void play(const QByteArray& swf);
    void showError(const QString& message);
    void followParent();

    QString movie_;
    QString error_;
    bool playing_ = false;
    bool fill_ = false;
    bool pageReady_ = false;
    int generation_ = 0; // a newer LoadMovie makes older answers stale
    QByteArray pending_; // a movie waiting for the player page to load
    QPointer<QWidget> watchedParent_;
    QStackedLayout* stack_ = nullptr;
    QWebEngineView* view_ = nullptr;
    QLabel* message_ = nullptr;
    QNetworkAccessManager* net_ = nullptr;
};
