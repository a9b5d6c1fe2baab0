#pragma once
// The main window of a theme for the screenshot programs: through FormCreate
// and shown in the screen's top left corner, where the shots are framed.
#include "ui/themes/themes.h"

#include <memory>

namespace zv::test {

// Null when the theme has no window or FormCreate says the program ends.
inline std::unique_ptr<TfmPrinc> ShowThemeWindow(int theme)
{
    auto w = CreateThemeWindow(theme);
    if (!w || !w->FormCreate())
        return nullptr;
    w->move(0, 0);
    w->show();
    return w;
}

} // namespace zv::test
