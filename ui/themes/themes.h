#pragma once
// The five looks of the main window.
#include "ui/main/fenprinc.h"

#include <memory>

class TfmPrincTheme1 : public TfmPrinc {
    Q_OBJECT
public:
    explicit TfmPrincTheme1(QWidget* parent = nullptr);
};

class TfmPrincTheme2 : public TfmPrinc {
    Q_OBJECT
public:
    explicit TfmPrincTheme2(QWidget* parent = nullptr);
};

class TfmPrincTheme3 : public TfmPrinc {
    Q_OBJECT
public:
    explicit TfmPrincTheme3(QWidget* parent = nullptr);
};

class TfmPrincTheme4 : public TfmPrinc {
    Q_OBJECT
public:
    explicit TfmPrincTheme4(QWidget* parent = nullptr);
};

class TfmPrincTheme5 : public TfmPrinc {
    Q_OBJECT
public:
    explicit TfmPrincTheme5(QWidget* parent = nullptr);
};

// The main window class of theme 1..5, not yet started (FormCreate not run);
// nullptr for any other number.
std::unique_ptr<TfmPrinc> CreateThemeWindow(int theme);
