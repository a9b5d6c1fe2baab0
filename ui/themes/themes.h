#pragma once
// The five looks of the main window.
#include "ui/main/fenprinc.h"

#include <memory>

class QModelIndex;
class QStyleOptionViewItem;

// Theme n's main window: the base window dressed in theme n's pictures,
// positions and colours.
template <int N> class TfmPrincThemeN : public TfmPrinc {
public:
    TSponsorWindowClass SponsorWindowClass() const override;
    TGameWindowClass GameWindowClass() const override;

    // How the games tree and the podcast tree draw an item, before the default
    // drawing proceeds.
    void tvListeJeuxCustomDrawItem(const QModelIndex& node, QStyleOptionViewItem& option) const;
    void tvMODPodcastCustomDrawItem(const QModelIndex& node, QStyleOptionViewItem& option) const;

protected:
    explicit TfmPrincThemeN(QWidget* parent);
};

// Tagada adds its own highlight controls: a picture per section shown while
// the mouse is over the section's button.
class TfmPrincTheme1 : public TfmPrincThemeN<1> {
    Q_OBJECT
public:
    explicit TfmPrincTheme1(QWidget* parent = nullptr);

    QFrame* shpSurligne;
    QFrame* shpSurligneAccueil;
    QLabel* imgSurligneTele;
    QLabel* imgSurligneVideo;
    QLabel* imgSurligneRadio;
    QLabel* imgSurligneJeux;
    QLabel* imgSurligneChat;
    QLabel* imgSurligneSexo;
    QLabel* imgSurligneAccueil;
    QLabel* imgSurligneMOD;

    // The state-change event of the section buttons but the home one.
    void btnFctEtatChange(TBtnGraph* sender);
};

class TfmPrincTheme2 : public TfmPrincThemeN<2> {
    Q_OBJECT
public:
    explicit TfmPrincTheme2(QWidget* parent = nullptr);
};

class TfmPrincTheme3 : public TfmPrincThemeN<3> {
    Q_OBJECT
public:
    explicit TfmPrincTheme3(QWidget* parent = nullptr);
};

class TfmPrincTheme4 : public TfmPrincThemeN<4> {
    Q_OBJECT
public:
    explicit TfmPrincTheme4(QWidget* parent = nullptr);
};

class TfmPrincTheme5 : public TfmPrincThemeN<5> {
    Q_OBJECT
public:
    explicit TfmPrincTheme5(QWidget* parent = nullptr);
};

// Dresses a main window in a theme's pictures, places and colours.
void ApplyThemeLook(TfmPrinc* window, int theme);

// Gives the controls of a window a style sheet that stops at the window: the
// windows and dialogs it owns (message boxes, file dialogs, game window...)
// keep their own look. Controls added later get it too.
void ApplyOwnStyleSheet(QWidget* window, const QString& sheet);

// The main window class of theme 1..5, not yet started (FormCreate not run);
// nullptr for any other number.
std::unique_ptr<TfmPrinc> CreateThemeWindow(int theme);
