#include "contrast.h"

#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"
#include "ui/main/entrydelegate.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFontInfo>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTreeView>
#include <QWebEngineView>
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace zv::test {

namespace {

int distance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// Pixels this far apart belong to a glyph (or its edge) and its ground.
constexpr int GlyphDistance = 60;

struct Glyph {
    double ratio;
    QRgb ink, ground;
};

// The pixels that changed between two pictures of the same area: the ink
// put there over what it covers.
std::vector<Glyph> changed(const QImage& with, const QImage& without)
{
    std::vector<Glyph> glyphs;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            const QRgb a = with.pixel(x, y);
            const QRgb b = without.pixel(x, y);
            if (distance(a, b) > GlyphDistance)
                glyphs.push_back({ContrastRatio(QColor(a), QColor(b)), a, b});
        }
    }
    return glyphs;
}

// The text's contrast: its ink is what its most covered glyph pixels show, its
// ground what is under them; the blended edges of the letters do not count.
void conclude(std::vector<Glyph>& glyphs, TextReading& reading)
{
    if (glyphs.size() < 4) {
        reading.ratio = 1; // nothing of the text shows
        return;
    }
    std::sort(glyphs.begin(), glyphs.end(), [](const Glyph& a, const Glyph& b) { return a.ratio < b.ratio; });
    const Glyph& g = glyphs[glyphs.size() * 49 / 50];
    reading.ratio = g.ratio;
    reading.ink = QColor(g.ink);
    reading.ground = QColor(g.ground);
}

double neededFor(const QFont& font)
{
    const QFontInfo info(font);
    return info.bold() && info.pixelSize() >= 14 ? 3.0 : 4.5;
}

QImage render(QWidget* window, const QRect& area)
{
    return window->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
}

QRect inWindow(QWidget* window, QWidget* w, const QRect& r)
{
    return QRect(w->mapTo(window, r.topLeft()), r.size()).intersected(window->rect());
}

QString nameOf(const QWidget* w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

class Reader {
public:
    Reader(QWidget* window)
        : window_(window)
    {
    }

    QList<TextReading> readings;

    // Grabbed with its text, then without (take removes it, and returns what puts it back).
    void removal(QWidget* w, const QString& text, const std::function<std::function<void()>()>& take)
    {
        if (text.trimmed().isEmpty())
            return;
        const QRect area = inWindow(window_, w, w->visibleRegion().boundingRect());
        if (area.isEmpty())
            return;
        const QImage with = render(window_, area);
        const std::function<void()> restore = take();
        const QImage without = render(window_, area);
        restore();
        std::vector<Glyph> glyphs = changed(with, without);
        add(nameOf(w), text, w->font(), glyphs);
    }

    // The same for a widget whose text a getter reads and a setter writes.
    template <class W> void textRemoval(W* w, QString (W::*get)() const, void (W::*set)(const QString&))
    {
        removal(w, (w->*get)(), [w, get, set] {
            const QString t = (w->*get)();
            (w->*set)(QString());
            return [w, set, t] { (w->*set)(t); };
        });
    }

    // Against the colour filling most of each pixel line of the area, from x0 on.
    void lines(QWidget* owner, const QRect& area, int x0, int x1, const QString& where, const QString& text,
        const QFont& font)
    {
        if (text.trimmed().isEmpty())
            return;
        const QRect r = inWindow(window_, owner, area);
        if (r.isEmpty())
            return;
        const QImage img = render(window_, r);
        const qreal k = img.devicePixelRatio();
        std::vector<Glyph> glyphs;
        for (int y = 0; y < img.height(); ++y) {
            QHash<QRgb, int> counts;
            for (int x = 0; x < img.width(); ++x)
                ++counts[img.pixel(x, y)];
            QRgb ground = 0;
            int best = -1;
            for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
                if (it.value() > best) {
                    best = it.value();
                    ground = it.key();
                }
            }
            const int from = qMax(0, int(x0 * k));
            const int to = qMin(img.width(), int(x1 * k));
            for (int x = from; x < to; ++x) {
                const QRgb a = img.pixel(x, y);
                if (distance(a, ground) > GlyphDistance)
                    glyphs.push_back({ContrastRatio(QColor(a), QColor(ground)), a, ground});
            }
        }
        add(where, text, font, glyphs);
    }

    void control(QWidget* w)
    {
        if (auto* b = qobject_cast<TBtnGraph*>(w)) {
            textRemoval<TBtnGraph>(b, &TBtnGraph::Caption, &TBtnGraph::setCaption);
        } else if (auto* s = qobject_cast<TScrollLabel*>(w)) {
            textRemoval<TScrollLabel>(s, &TScrollLabel::Caption, &TScrollLabel::setCaption);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            if (!l->pixmap().isNull())
                return;
            const qsizetype before = readings.size();
            textRemoval<QLabel>(l, &QLabel::text, &QLabel::setText);
            if (readings.size() > before)
                readings.last().whole = fits(l);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            textRemoval<QAbstractButton>(b, &QAbstractButton::text, &QAbstractButton::setText);
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            // An empty box is read with a sample text.
            const QSignalBlocker quiet(e);
            const QString kept = e->text();
            if (kept.isEmpty())
                e->setText(QStringLiteral("Texte saisi"));
            textRemoval<QLineEdit>(e, &QLineEdit::text, &QLineEdit::setText);
            e->setText(kept);
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            removal(w, c->currentText(), [c] {
                const int index = c->currentIndex();
                const QString edited = c->currentText();
                auto quiet = std::make_shared<QSignalBlocker>(c);
                c->setCurrentIndex(-1);
                if (c->isEditable())
                    c->setEditText(QString());
                return [c, index, edited, quiet] {
                    c->setCurrentIndex(index);
                    if (c->isEditable())
                        c->setEditText(edited);
                };
            });
        } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
            removal(p->viewport(), p->toPlainText(), [p] {
                const QSignalBlocker quiet(p);
                const QString t = p->toPlainText();
                p->setPlainText(QString());
                return [p, t] {
                    const QSignalBlocker quiet(p);
                    p->setPlainText(t);
                };
            });
        } else if (auto* t = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < t->count(); ++i) {
                QFont f = t->font();
                lines(t, t->tabRect(i).adjusted(2, 3, -2, -2), 0, t->tabRect(i).width(),
                    nameOf(t) + QStringLiteral(" tab"), t->tabText(i), f);
            }
        } else if (auto* h = qobject_cast<QHeaderView*>(w)) {
            for (int i = 0; i < h->count(); ++i) {
                if (h->isSectionHidden(i) || h->sectionSize(i) <= 0)
                    continue;
                const QRect r(h->sectionViewportPosition(i) + 2, 2, h->sectionSize(i) - 4, h->height() - 4);
                const QString text = h->model()->headerData(i, h->orientation()).toString();
                lines(h->viewport(), r, 0, qMax(0, r.width() - 14), nameOf(h) + QStringLiteral(" header"),
                    text, h->font());
            }
        } else if (auto* v = qobject_cast<QAbstractItemView*>(w)) {
            rows(v);
        }
    }

    void rows(QAbstractItemView* view)
    {
        QAbstractItemModel* model = view->model();
        if (!model)
            return;
        auto* tree = qobject_cast<QTreeView*>(view);
        const QRect port = view->viewport()->rect();
        int seen = 0;
        QModelIndex index = view->indexAt(QPoint(2, 2));
        while (index.isValid() && seen < 16) {
            for (int column = 0; column < model->columnCount(index.parent()); ++column) {
                if (tree && tree->isColumnHidden(column))
                    continue;
                const QModelIndex cell = index.siblingAtColumn(column);
                const QRect r = view->visualRect(cell).intersected(port);
                if (r.height() < 6 || r.width() < 6)
                    continue;
                const bool icon = !cell.data(Qt::DecorationRole).isNull();
                const int x0 = icon ? view->iconSize().width() + 6 : 0;
                QFont f = view->font();
                if (const QVariant v = cell.data(Qt::FontRole); v.isValid())
                    f = v.value<QFont>();
                lines(view->viewport(), r, x0, r.width(), nameOf(view) + QStringLiteral(" row"),
                    cell.data(Qt::DisplayRole).toString(), f);
                marks(view, cell, f);
            }
            ++seen;
            index = tree ? tree->indexBelow(index) : model->index(index.row() + 1, 0, index.parent());
            if (index.isValid() && !view->visualRect(index).intersects(port))
                break;
        }
    }

    // What a media list's row says of itself beside its caption (new, heard,
    // where it stopped, an episode's date), each read on its own.
    void marks(QAbstractItemView* view, const QModelIndex& cell, const QFont& font)
    {
        const auto* delegate = qobject_cast<const TEntryDelegate*>(view->itemDelegateForIndex(cell));
        if (!delegate)
            return;
        QStyleOptionViewItem option;
        option.initFrom(view->viewport());
        option.widget = view;
        option.font = font;
        option.fontMetrics = QFontMetrics(font);
        option.rect = view->visualRect(cell);
        const TEntryDelegate::Side side = delegate->side(option, cell);
        QFont bold = font;
        bold.setBold(true);
        const QString where = nameOf(view) + QStringLiteral(" row mark");
        if (!side.mark.isEmpty())
            lines(view->viewport(), side.markRect, 0, side.markRect.width(), where, side.mark, bold);
        if (!side.detail.isEmpty())
            lines(view->viewport(), side.detailRect, 0, side.detailRect.width(), where, side.detail, font);
    }

    void menu(QMenu* m)
    {
        for (QAction* a : m->actions()) {
            if (a->isSeparator() || !a->isVisible())
                continue;
            const QRect r = m->actionGeometry(a);
            QString text = a->text();
            text.remove(QLatin1Char('&'));
            lines(m, r, 22, r.width(), nameOf(m) + QStringLiteral(" item"), text, m->font());
        }
    }

private:
    // The whole text within the label: on its line, or on as many lines as
    // its height holds when it wraps.
    static bool fits(QLabel* l)
    {
        if (l->wordWrap())
            return l->heightForWidth(l->width()) <= l->height();
        const QSize needed = l->sizeHint();
        return needed.width() <= l->width() && l->fontMetrics().height() <= l->contentsRect().height();
    }

    void add(const QString& where, const QString& text, const QFont& font, std::vector<Glyph>& glyphs)
    {
        TextReading r;
        r.where = nameOf(window_) + QLatin1Char('/') + where;
        r.text = text;
        r.needed = neededFor(font);
        conclude(glyphs, r);
        readings << r;
    }

    QWidget* window_;
};

bool insideWebPage(const QWidget* w)
{
    for (const QWidget* p = w; p; p = p->parentWidget()) {
        if (qobject_cast<const QWebEngineView*>(p))
            return true;
    }
    return false;
}

} // namespace

QList<TextReading> ReadTexts(QWidget* window)
{
    Reader reader(window);
    if (auto* m = qobject_cast<QMenu*>(window)) {
        reader.menu(m);
        return reader.readings;
    }
    const QList<QWidget*> all = window->findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (w->window() != window || !w->isVisible() || !w->isEnabled() || insideWebPage(w))
            continue;
        // Views are read row by row from the view; their viewport and
        // scroll bars carry no text of their own.
        reader.control(w);
    }
    return reader.readings;
}

QList<TextReading> ReadFocusMarks(QWidget* window)
{
    QList<TextReading> readings;
    QWidget* const kept = window->focusWidget();
    const QList<QWidget*> all = window->findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (w->window() != window || !w->isVisible() || !w->isEnabled() || insideWebPage(w)
            || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
            continue;
        const QRect area = inWindow(window, w, w->rect());
        if (area.width() < 4 || area.height() < 4)
            continue;
        if (QWidget* f = window->focusWidget())
            f->clearFocus();
        const QImage without = render(window, area);
        // As the Tab key gives it: styles draw the focus only then.
        window->setAttribute(Qt::WA_KeyboardFocusChange);
        w->setFocus(Qt::TabFocusReason);
        const QImage with = render(window, area);
        if (qEnvironmentVariableIsSet("ZV_MARK_DUMP")) {
            without.save(QStringLiteral("/tmp/marks/%1-%2-0.png").arg(nameOf(window), nameOf(w)));
            with.save(QStringLiteral("/tmp/marks/%1-%2-1.png").arg(nameOf(window), nameOf(w)));
        }
        TextReading r;
        r.where = nameOf(window) + QLatin1Char('/') + nameOf(w);
        r.text = QStringLiteral("marque de focus");
        r.needed = 3;
        r.ratio = 1;
        if (!w->hasFocus()) {
            r.text = QStringLiteral("ne prend pas le focus");
            readings << r;
            continue;
        }
        std::vector<Glyph> mark = changed(with, without);
        // Half the outline, one logical pixel wide, in device pixels. A tab
        // bar's mark is on its current tab.
        QSize outline = area.size();
        if (auto* tabs = qobject_cast<QTabBar*>(w); tabs && tabs->currentIndex() >= 0)
            outline = tabs->tabRect(tabs->currentIndex()).size();
        const qreal k = with.devicePixelRatio();
        const size_t needed = size_t((outline.width() + outline.height()) * k * k);
        std::sort(mark.begin(), mark.end(), [](const Glyph& a, const Glyph& b) { return a.ratio > b.ratio; });
        if (needed > 0 && mark.size() >= needed) {
            const Glyph& g = mark[needed - 1];
            r.ratio = g.ratio;
            r.ink = QColor(g.ink);
            r.ground = QColor(g.ground);
        }
        readings << r;
    }
    if (QWidget* f = window->focusWidget())
        f->clearFocus();
    if (kept)
        kept->setFocus();
    return readings;
}

QString Unreadable(const QList<TextReading>& readings)
{
    QStringList lines;
    for (const TextReading& r : readings) {
        if (!r.readable()) {
            lines << QStringLiteral("%1 \"%2\": %3:1 (needs %4), ink %5 on %6")
                         .arg(r.where, r.text.left(40))
                         .arg(r.ratio, 0, 'f', 2)
                         .arg(r.needed)
                         .arg(r.ink.name(), r.ground.name());
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QString CutOff(const QList<TextReading>& readings)
{
    QStringList lines;
    for (const TextReading& r : readings) {
        if (!r.whole)
            lines << QStringLiteral("%1 \"%2\"").arg(r.where, r.text);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace zv::test
