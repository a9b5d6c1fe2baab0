#pragma once
// The five looks of the main window.
#include "ui/main/fenprinc.h"

#include <memory>

// Theme n's main window: the base window dressed in theme n's pictures,
// positions and colours.
template <int N> class TfmPrincThemeN : public TfmPrinc {
public:
    TSponsorWindowClass SponsorWindowClass() const override;
    TGameWindowClass GameWindowClass() const override;

protected:
    explicit TfmPrincThemeN(QWidget* parent);
};

class TfmPrincTheme1 : public TfmPrincThemeN<1> {
    Q_OBJECT
public:
    explicit TfmPrincTheme1(QWidget* parent = nullptr);
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

// The main window class of theme 1..5, not yet started (FormCreate not run);
// nullptr for any other number.
std::unique_ptr<TfmPrinc> CreateThemeWindow(int theme);
