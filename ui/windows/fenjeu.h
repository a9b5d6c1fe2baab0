#pragma once
// TfmJeu: the borderless modal window one online game runs in. A ".swf" game
// plays in the Flash control; any other game in the page the portal builds
// around it. Its own title bar closes, maximises and drags the window. Each
// theme derives its own look.
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QSize>
#include <memory>

class QFrame;
class QLabel;
class TBtnGraph;
class TShockwaveFlash;
class TWebBrowser;

class TfmJeu : public QDialog {
    Q_OBJECT
public:
    TfmJeu(QWidget* owner, const QString& name, const QByteArray& url, int width, int height);
    ~TfmJeu() override;

    QLabel* panTitre;
    TBtnGraph* btnFermer;
    TBtnGraph* BtnAgrandir;
    QFrame* panJeu;
    TShockwaveFlash* swJeu;
    TWebBrowser* wbJeu;

    void btnFermerClick();
    void BtnAgrandirClick();
    void panTitreMouseDown();
    void panTitreDblClick();
    void wbJeuDocumentComplete();

    // The window's colour (the page of a non-Flash game is drawn on it).
    QColor Color() const { return look_.window; }
    int BorderWidth() const { return look_.border; }
    // The page that holds a non-Flash game: host + path, the name as displayed,
    // its bytes beyond ASCII written %XX in Windows-1252.
    static QString GamePageAddress(const QColor& background, const QString& name);

protected:
    struct Look {
        int titleHeight;
        QColor title; // title bar
        QColor window;
        QFont titleFont;
        QColor titleText;
        int border;
        QSize buttons;
        int theme; // whose pictures the buttons wear; 0: drawn here
    };
    static Look baseLook();
    static Look themeLook(int theme);
    TfmJeu(
        const Look& look, QWidget* owner, const QString& name, const QByteArray& url, int width, int height);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void paintButtons();
    void placeButtons();

    Look look_;
};

// Theme N's game window: its title bar, border and buttons in the theme's look.
template <int N> class TfmJeuThemeN : public TfmJeu {
public:
    TfmJeuThemeN(QWidget* owner, const QString& name, const QByteArray& url, int width, int height)
        : TfmJeu(themeLook(N), owner, name, url, width, height)
    {
    }
};

class TfmJeuTheme1 : public TfmJeuThemeN<1> {
    Q_OBJECT
public:
    using TfmJeuThemeN::TfmJeuThemeN;
};
class TfmJeuTheme2 : public TfmJeuThemeN<2> {
    Q_OBJECT
public:
    using TfmJeuThemeN::TfmJeuThemeN;
};
class TfmJeuTheme3 : public TfmJeuThemeN<3> {
    Q_OBJECT
public:
    using TfmJeuThemeN::TfmJeuThemeN;
};
class TfmJeuTheme4 : public TfmJeuThemeN<4> {
    Q_OBJECT
public:
    using TfmJeuThemeN::TfmJeuThemeN;
};
class TfmJeuTheme5 : public TfmJeuThemeN<5> {
    Q_OBJECT
public:
    using TfmJeuThemeN::TfmJeuThemeN;
};

// The game window of theme 1..5; the base window for any other number.
std::unique_ptr<QDialog> CreateGameWindow(
    int theme, QWidget* owner, const QString& name, const QByteArray& url, int width, int height);
