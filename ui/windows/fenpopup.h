#pragma once
// TfmPopup: the small ad window of the popup agent. It loads its page hidden,
// then slides up near the bottom right corner of the screen once the page has
// loaded; a page that fails or does not load in time is never shown. One larger
// than the screen is reduced to fit. Freed on close.
#include <QWidget>

class QLabel;
class QTimer;
class TBtnGraph;
class TWebBrowser;

class TfmPopup : public QWidget {
    Q_OBJECT
public:
    static constexpr int TitleHeight = 21;
    static constexpr int Margin = 50; // from the screen's right and bottom edges
    static constexpr int SlideStep = 3;

    // height and width are those of the page area.
    TfmPopup(QWidget* owner, int height, int width, const QString& url);
    ~TfmPopup() override;

    QLabel* panTitre;
    TBtnGraph* btnFermer;
    TWebBrowser* wbPub;
    QTimer* timTimeOut;
    QTimer* timAnimation;

    void wbPubDownloadComplete();
    void timAnimationTimer();
    void timTimeOutTimer();
    void wbPubNewWindow2();
    void btnFermerClick();

    // The top the slide ends at.
    int finalTop() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void placeControls();
};
