#include "ui/themes/themes.h"

TfmPrincTheme1::TfmPrincTheme1(QWidget* parent) : TfmPrinc(parent) {}
TfmPrincTheme2::TfmPrincTheme2(QWidget* parent) : TfmPrinc(parent) {}
TfmPrincTheme3::TfmPrincTheme3(QWidget* parent) : TfmPrinc(parent) {}
TfmPrincTheme4::TfmPrincTheme4(QWidget* parent) : TfmPrinc(parent) {}
TfmPrincTheme5::TfmPrincTheme5(QWidget* parent) : TfmPrinc(parent) {}

std::unique_ptr<TfmPrinc> CreateThemeWindow(int theme)
{
    switch (theme) {
    case 1: return std::make_unique<TfmPrincTheme1>();
    case 2: return std::make_unique<TfmPrincTheme2>();
    case 3: return std::make_unique<TfmPrincTheme3>();
    case 4: return std::make_unique<TfmPrincTheme4>();
    case 5: return std::make_unique<TfmPrincTheme5>();
    default: return nullptr;
    }
}
