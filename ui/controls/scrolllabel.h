#pragma once
// TScrollLabel: a one-line label whose caption scrolls from right to left and
// comes back at the right edge once it has left the control. Its own timer
// moves it Pas pixels every Periodicite milliseconds. Assistive technology
// reads its whole text.

#include <QString>
#include <QTimer>
#include <QWidget>

class TScrollLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Periodicite READ Periodicite WRITE setPeriodicite)
    Q_PROPERTY(int Pas READ Pas WRITE setPas)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)

public:
    static constexpr int InitialPosition = 10000;

    explicit TScrollLabel(QWidget* parent = nullptr); // 20 x 20, 100 ms, 1 pixel
    ~TScrollLabel() override;

    int Periodicite() const { return periodicite_; }
    void setPeriodicite(int ms); // 0 (or less) stops the scrolling
    int Pas() const { return pas_; }
    void setPas(int pixels) { pas_ = pixels; } // applies from the next tick
    QString Caption() const { return caption_; }
    void setCaption(const QString& text); // keeps the current text position

    int textPosition() const { return position_; }
    bool isScrolling() const { return timer_.isActive(); }

    // Where the text goes when painted at `position`: back to the right edge
    // once it has wholly left on the left, and never right of the edge.
    static int paintPosition(int position, int textWidth, int width);

public slots:
    void timTimer(); // one scrolling step: repaint request, then move left

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int periodicite_ = 100;
    int pas_ = 1;
    int position_ = InitialPosition;
    QString caption_;
    QTimer timer_;
};
