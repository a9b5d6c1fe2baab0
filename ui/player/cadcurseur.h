#pragma once
// TfrmCurseur: a horizontal slider made of two image buttons, a track
// (btnGlissiere) and a knob (btnCurseur) the user drags. Its value is the
// knob's horizontal place as a fraction 0..1. From the keyboard it is one
// control: the arrows move the knob a step, Page Up and Page Down a tenth,
// Home and End to the ends, each move as a short drag would.

#include "ui/controls/btngraph.h"

#include <QString>
#include <QWidget>
#include <functional>

class QMouseEvent;
namespace zv {
class FocusMarkOverlay;
}

class TfrmCurseur : public QWidget {
    Q_OBJECT
public:
    // The designed frame: 248 x 27, track "Son" at (0, 7) 89 x 9, knob "C" at
    // (44, 4) 20 x 20, both active.
    explicit TfrmCurseur(QWidget* parent = nullptr);

    TBtnGraph* btnGlissiere;
    TBtnGraph* btnCurseur;

    // Called while the knob is dragged and once more when it is released (then
    // IsIdle() is already true).
    std::function<void(TfrmCurseur* sender)> OnChange;

    double GetFraction() const; // 0 when the knob has no room to move
    void SetFraction(double x); // clamped to the ends; raises no event
    bool IsIdle() const { return !dragging_; }
    void SetActif(bool value); // track and knob
    bool Actif() const { return actif_; }

    int maxKnobLeft() const; // the largest left edge of the knob

    // The two layouts of the main window, pictures left to the caller:
    // volume, 81 x 25 with a stretched 81 x 4 track and an 11 x 21 resizable knob;
    // position, width x 21 with a stretched full-size track and the knob at 0, 0.
    void SetupVolume();
    void SetupPosition(int width);

    // What assistive technology reads as the value ("Volume 60 %"); by
    // default the fraction in percent.
    std::function<QString(double fraction)> ValueText;
    QString valueText() const;

    static constexpr double ArrowStep = 0.05;
    static constexpr double PageStep = 0.10;
    // Moves the knob as the user would: a drag to the new place, then its
    // release. Nothing moves while the knob is inactive.
    void moveKnobTo(double fraction);
    void moveKnobBy(double delta);

    void setFocusMark(const zv::FocusMark& mark);

    void btnCurseurMouseDown(QMouseEvent* event);
    void btnCurseurMouseMove(QMouseEvent* event);
    void btnCurseurMouseUp(QMouseEvent* event);

signals:
    void Change(TfrmCurseur* sender); // raised with OnChange

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void changed();
    void tellValue(bool moved); // to assistive technology

    bool dragging_ = false;
    int grabX_ = 0;
    int grabY_ = 0;
    bool actif_ = true;
    bool trackFollowsWidth_ = false; // the position slider's track spans the frame
    zv::FocusMarkOverlay* mark_;
    QString toldText_; // the value text assistive technology last heard of
};
