#include "ui/themes/focusmarks.h"

#include "ui/controls/btngraph.h"
#include "ui/player/cadcurseur.h"
#include "ui/themes/looks.h"

namespace zv::themes {

FocusMark FocusMarkOf(int theme)
{
    const Mark& m = LookOf(theme).mark;
    FocusMark mark;
    mark.ring = QColor::fromRgb(m.ring);
    mark.halo = QColor::fromRgb(m.halo);
    mark.width = m.width;
    mark.radius = m.radius;
    mark.shape = m.leaf ? FocusMark::Shape::Leaf : FocusMark::Shape::Rounded;
    return mark;
}

void ApplyFocusMark(QWidget* window, const FocusMark& mark)
{
    for (TBtnGraph* b : window->findChildren<TBtnGraph*>())
        b->setFocusMark(mark);
    for (TfrmCurseur* s : window->findChildren<TfrmCurseur*>())
        s->setFocusMark(mark);
}

} // namespace zv::themes
