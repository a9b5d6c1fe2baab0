#pragma once
// TfmSponsor: the modal window shown at start-up when the portal asks for it.
// The user goes on only by clicking one of the two sponsor banners (result
// Accepted, "OK"), or leaves the program with "Quitter le logiciel" (Rejected,
// "Cancel"). Each theme derives its own look.
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPixmap>

class QFrame;
class QLabel;
class TBtnGraph;
class TNMHTTP;
class TWebBrowser;

class TfmSponsor : public QDialog {
    Q_OBJECT
public:
    explicit TfmSponsor(QWidget* owner = nullptr);
    ~TfmSponsor() override;

    QLabel* lblTitre;
    QFrame* panSponsor1;
    QFrame* panSponsor2;
    TWebBrowser* wbSponsor1;
    TWebBrowser* wbSponsor2;
    TBtnGraph* btnQuitter;
    TNMHTTP* nmhSponsor1;
    TNMHTTP* nmhSponsor2;

    // The banner requests, in their order. Run once the window is on screen.
    void FormCreate();

    void nmhSponsor1Success(int cmd);
    void nmhSponsor2Success(int cmd);
    void wbSponsorNewWindow2();
    void btnQuitterClick();

protected:
    struct Look {
        QColor window; // the window's colour
        QColor text; // the heading's colour
        QColor button; // the quit button's face
        QColor buttonHover; // and when the mouse is over it
        QColor buttonText;
        QColor frame; // the thin line round each banner
        QString fontFamily;
    };
    // Applies the base form's colours and fonts.
    void applyLook(const Look& look);
    // Applies theme n's pictures, colours and fonts; the layout stays the base form's.
    void applyTheme(int theme);
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Ends the window with that result once its requests are stopped.
    void leave(DialogCode result);

private:
    bool started_ = false;
    bool closing_ = false; // the user has clicked a banner or quit
    QColor frameColour_;
    QPixmap background_; // a theme's art; none: the plain colour and frames
};

// Theme N's sponsor window: the base form in the theme's pictures and colours.
template <int N> class TfmSponsorThemeN : public TfmSponsor {
public:
    explicit TfmSponsorThemeN(QWidget* owner = nullptr)
        : TfmSponsor(owner)
    {
        applyTheme(N);
    }
};

class TfmSponsorTheme1 : public TfmSponsorThemeN<1> {
    Q_OBJECT
public:
    using TfmSponsorThemeN::TfmSponsorThemeN;
};
class TfmSponsorTheme2 : public TfmSponsorThemeN<2> {
    Q_OBJECT
public:
    using TfmSponsorThemeN::TfmSponsorThemeN;
};
class TfmSponsorTheme3 : public TfmSponsorThemeN<3> {
    Q_OBJECT
public:
    using TfmSponsorThemeN::TfmSponsorThemeN;
};
class TfmSponsorTheme4 : public TfmSponsorThemeN<4> {
    Q_OBJECT
public:
    using TfmSponsorThemeN::TfmSponsorThemeN;
};
class TfmSponsorTheme5 : public TfmSponsorThemeN<5> {
    Q_OBJECT
public:
    using TfmSponsorThemeN::TfmSponsorThemeN;
};
