#pragma once
// TBtnGraph: the skinned button of every window. It paints one of five owned
// pictures according to its active, pressed and hovered states, with an
// optional centred caption. It decides nothing on click: the owner reacts to
// clicked() and sets Actif / Enfonce itself. Tab reaches it, Space and Enter
// press it, and it shows its theme's focus mark while it has the focus.

#include "ui/controls/focusmark.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

class QMouseEvent;

class TBtnGraph : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Actif READ Actif WRITE setActif)
    Q_PROPERTY(bool Enfonce READ Enfonce WRITE setEnfonce)
    Q_PROPERTY(bool Etirement READ Etirement WRITE setEtirement)
    Q_PROPERTY(bool Redimensionnement READ Redimensionnement WRITE setRedimensionnement)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)

public:
    enum class Picture { Inactif, Actif, Survol, Enfonce, EnfonceSurvol, None };
    Q_ENUM(Picture)

    explicit TBtnGraph(QWidget* parent = nullptr); // 20 x 20, active, nothing else set

    bool Actif() const { return actif_; }
    void setActif(bool value); // a display state only: clicks are still delivered
    bool Enfonce() const { return enfonce_; }
    void setEnfonce(bool value);
    bool Etirement() const { return etirement_; }
    void setEtirement(bool value);
    bool Redimensionnement() const { return redimensionnement_; }
    void setRedimensionnement(bool value); // size the control to ImageActif

    // The five pictures. Setting one copies it into the control.
    const QPixmap& ImageInactif() const { return picture(Picture::Inactif); }
    const QPixmap& ImageActif() const { return picture(Picture::Actif); }
    const QPixmap& ImageSurvol() const { return picture(Picture::Survol); }
    const QPixmap& ImageEnfonce() const { return picture(Picture::Enfonce); }
    const QPixmap& ImageEnfonceSurvol() const { return picture(Picture::EnfonceSurvol); }
    void setImageInactif(const QPixmap& p) { setPicture(Picture::Inactif, p); }
    void setImageActif(const QPixmap& p) { setPicture(Picture::Actif, p); }
    void setImageSurvol(const QPixmap& p) { setPicture(Picture::Survol, p); }
    void setImageEnfonce(const QPixmap& p) { setPicture(Picture::Enfonce, p); }
    void setImageEnfonceSurvol(const QPixmap& p) { setPicture(Picture::EnfonceSurvol, p); }

    const QPixmap& picture(Picture which) const;
    void setPicture(Picture which, const QPixmap& pixmap);
    void clearPicture(Picture which) { setPicture(which, QPixmap()); }
    // From a picture file or from encoded data (PNG, JPEG...). False when the
    // data does not decode; the picture is then emptied.
    bool loadPicture(Picture which, const QString& fileName);
    bool loadPictureData(Picture which, const QByteArray& data);

    QString Caption() const { return caption_; }
    void setCaption(const QString& text);
    QString Hint() const { return toolTip(); } // shown as the tooltip
    void setHint(const QString& text);

    // A toggle button stays down while Enfonce is set; assistive technology
    // reads Enfonce as its checked state. Set by the owner, like Enfonce.
    bool isToggle() const { return toggle_; }
    void setToggle(bool value);
    // What the button says when its owner has given it no name: its caption,
    // or else its hint.
    QString spokenName() const;

    // Presses the button as a click would (keys and assistive technology).
    void click();

    const zv::FocusMark& focusMark() const { return focusMark_; }
    void setFocusMark(const zv::FocusMark& mark);

    bool hovered() const { return hovered_; }
    // The picture painted in the current state (Picture::None: nothing).
    Picture chosenPicture() const;

signals:
    void EtatChange(); // after every change of the active, pressed or hovered state
    void clicked();
    void doubleClicked();
    // The raw mouse events, for owners that drag the control (the slider knob).
    void MouseDown(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseUp(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void setHovered(bool value);
    void tellState(bool pressed, bool disabled); // to assistive technology
    void tellName();
    void applyResize();

    bool actif_ = true;
    bool enfonce_ = false;
    bool etirement_ = false;
    bool redimensionnement_ = false;
    bool hovered_ = false;
    bool toggle_ = false;
    bool clickArmed_ = false; // a left press began inside, so the release clicks
    zv::FocusMark focusMark_;
    QPixmap pictures_[5];
    QString caption_;
};
