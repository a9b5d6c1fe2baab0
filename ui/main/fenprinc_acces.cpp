// The main window from the keyboard and through assistive technology: French
// names, roles and states of its controls (the interfaces of the image
// buttons, sliders and labels are in ui/controls and ui/player), Tab in the
// order of the screen, Enter in a list, from a section button to its list,
// the settings menu from the keyboard, moving the window with the keys, and
// the list of shortcuts.
#include "ui/controls/accessibility.h"
#include "ui/controls/btngraph.h"
#include "ui/main/fenprinc.h"
#include "ui/player/cadcurseur.h"
#include "ui/player/cadplayer.h"
#include "ui/windows/fenraccourcis.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>
#include <QTreeView>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace {

// A length as it is said: "1 h 2 min 5 s", "4 min", "0 s".
QString spokenDuration(double seconds)
{
    const qint64 total = std::max<qint64>(0, std::llround(seconds));
    const qint64 h = total / 3600, m = total / 60 % 60, s = total % 60;
    QStringList parts;
    if (h > 0)
        parts << QStringLiteral("%1 h").arg(h);
    if (m > 0)
        parts << QStringLiteral("%1 min").arg(m);
    if (s > 0 || parts.isEmpty())
        parts << QStringLiteral("%1 s").arg(s);
    return parts.join(QLatin1Char(' '));
}

bool tabStop(const QWidget* w, const QWidget* window)
{
    return w->window() == window && w->isVisibleTo(window) && w->isEnabled()
        && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy();
}

struct Unit {
    QWidget* widget; // a child of the container
    QRect place; // in the window
    QList<QWidget*> stops; // the tab stops in it, itself maybe
};

// Reading order: rows from the top, each from the left. A part joins the
// row of the part above when they share half the height of the smaller.
void readingOrder(QList<Unit>& units)
{
    std::stable_sort(units.begin(), units.end(),
        [](const Unit& a, const Unit& b) { return a.place.top() < b.place.top(); });
    QList<Unit> sorted;
    for (int first = 0; first < units.size();) {
        const QRect row = units[first].place;
        int end = first + 1;
        while (end < units.size()) {
            const QRect r = units[end].place;
            const int shared = std::min(row.bottom(), r.bottom()) - std::max(row.top(), r.top()) + 1;
            if (2 * shared < std::min(row.height(), r.height()))
                break;
            ++end;
        }
        QList<Unit> line = units.mid(first, end - first);
        std::stable_sort(line.begin(), line.end(),
            [](const Unit& a, const Unit& b) { return a.place.left() < b.place.left(); });
        sorted += line;
        first = end;
    }
    units = sorted;
}

// The stops within container in reading order, those of a part together.
void arrange(
    const QWidget* container, const QList<QWidget*>& stops, const QWidget* window, QList<QWidget*>& out)
{
    QList<Unit> units;
    for (QWidget* stop : stops) {
        QWidget* part = stop;
        while (part->parentWidget() != container)
            part = part->parentWidget();
        auto it
            = std::find_if(units.begin(), units.end(), [part](const Unit& u) { return u.widget == part; });
        if (it == units.end())
            units.append({part, QRect(part->mapTo(window, QPoint(0, 0)), part->size()), {stop}});
        else
            it->stops << stop;
    }
    readingOrder(units);
    for (Unit& u : units) {
        if (u.stops.size() == 1) {
            out << u.stops.first();
            continue;
        }
        if (u.stops.removeOne(u.widget))
            out << u.widget;
        arrange(u.widget, u.stops, window, out);
    }
}

// Enter in a list does what a double click does, on the row chosen.
class EnterActivates : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* k = static_cast<QKeyEvent*>(event);
        if ((k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter)
            || (k->modifiers() & ~Qt::KeypadModifier))
            return false;
        auto* view = qobject_cast<QAbstractItemView*>(watched);
        const QModelIndex current = view ? view->currentIndex() : QModelIndex();
        if (!current.isValid())
            return false;
        if (!k->isAutoRepeat()) {
            if (!view->selectionModel()->isSelected(current))
                view->selectionModel()->setCurrentIndex(
                    current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            emit view->doubleClicked(current);
        }
        return true;
    }
};

// Moves the window by the arrow keys, as a window manager's keyboard move
// does (Alt+F7): the window has no title bar for the desktop to offer one. A
// move of the window's own works under any X11 window manager and under none;
// under Wayland a program cannot place its window, and the compositor moves
// it with the pointer instead.
class KeyboardMove : public QObject {
public:
    explicit KeyboardMove(TfmPrinc* window)
        : QObject(window)
        , w_(window)
        , from_(window->pos())
    {
        setObjectName(QStringLiteral("zvKeyboardMove"));
        // Installed last, it sees the keys before the window's shortcuts do.
        qApp->installEventFilter(this);
        QToolTip::showText(w_->mapToGlobal(w_->rect().center()),
            QStringLiteral("Déplacement de la fenêtre : flèches pour la déplacer, Entrée pour la laisser là, "
                           "Échap pour la remettre en place"),
            w_, QRect(), 60000);
    }

    ~KeyboardMove() override { QToolTip::hideText(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (done_)
            return false;
        switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto* widget = qobject_cast<const QWidget*>(watched);
            if (!widget || widget->window() != w_)
                return false;
            event->accept();
            if (event->type() == QEvent::KeyPress)
                key(static_cast<QKeyEvent*>(event));
            return true;
        }
        case QEvent::MouseButtonPress: finish(); return false;
        case QEvent::WindowDeactivate:
            if (watched == w_)
                finish();
            return false;
        default: return false;
        }
    }

private:
    void key(const QKeyEvent* k)
    {
        const int step = k->modifiers() & Qt::ControlModifier ? 1 : 10;
        switch (k->key()) {
        case Qt::Key_Left: moveBy(-step, 0); break;
        case Qt::Key_Right: moveBy(step, 0); break;
        case Qt::Key_Up: moveBy(0, -step); break;
        case Qt::Key_Down: moveBy(0, step); break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space: finish(); break;
        case Qt::Key_Escape:
            w_->move(from_);
            finish();
            break;
        default: break;
        }
    }

    // The top of the window and a good part of it stay on the screens, so
    // that it can always be taken again.
    void moveBy(int dx, int dy)
    {
        QPoint to = w_->pos() + QPoint(dx, dy);
        if (const QScreen* screen = w_->screen()) {
            const QRect room = screen->availableVirtualGeometry();
            const int keep = std::min(100, w_->width());
            to.setX(std::clamp(to.x(), room.left() - w_->width() + keep, room.right() - keep + 1));
            to.setY(std::clamp(to.y(), room.top(), std::max(room.top(), room.bottom() - 50)));
        }
        w_->move(to);
    }

    void finish()
    {
        done_ = true;
        setObjectName(QString());
        qApp->removeEventFilter(this);
        deleteLater();
    }

    TfmPrinc* w_;
    QPoint from_;
    bool done_ = false;
};

} // namespace

void TfmPrinc::setupAccessibility()
{
    zv::InstallControlsAccessibility();

    // The section buttons stay down while their section shows; each is named
    // by its caption.
    for (TBtnGraph* b : sectionButtons())
        b->setToggle(true);
    btnFctMOD->setAccessibleDescription(QStringLiteral("Médias à la demande : fichiers, podcasts et MP3"));
    // The other image buttons' pictures carry their labels.
    const struct {
        TBtnGraph* button;
        QString name;
        bool toggle; // stays down while its state holds
    } named[] = {
        {btnLecture, QStringLiteral("Lecture"), true},
        {btnPause, QStringLiteral("Pause"), true},
        {btnMuet, QStringLiteral("Muet"), true},
        {btnPleinEcran, QStringLiteral("Plein écran"), false},
        {btnContact, QStringLiteral("Mail"), false},
        {btnConfig, QStringLiteral("Configuration"), false},
        {btnMinimise, QStringLiteral("Réduire"), false},
        {btnFerme, QStringLiteral("Fermer"), false},
    };
    for (const auto& n : named) {
        n.button->setAccessibleName(n.name);
        n.button->setToggle(n.toggle);
    }
    zv::MarkOpensMenu(btnConfig);

    frmCurseurSon->setAccessibleName(QStringLiteral("Volume"));
    frmCurseurSon->ValueText = [](double f) { return QStringLiteral("Volume %1 %").arg(qRound(f * 100)); };
    frmCurseurVideo->setAccessibleName(QStringLiteral("Position"));
    frmCurseurVideo->ValueText = [this](double f) {
        const double length = frmPlayer->LengthSeconds();
        if (length <= 0)
            return QStringLiteral("Position %1 %").arg(qRound(f * 100));
        return QStringLiteral("Position %1 sur %2").arg(spokenDuration(f * length), spokenDuration(length));
    };
    zv::AnnounceChanges(lblStatutPlayer);

    // Lists and fields are named by the label beside them, or by what they hold.
    zv::NameAfter(lvListeCanaux, lblListeCanaux);
    zv::NameAfter(tvListeJeux, lblListeJeux);
    const QPair<QWidget*, QLabel*> labelled[] = {{cmbBouquet, lblBouquet}, {cmbChatRadio, lblChatRadio},
        {edtMODRecherche, lblMODRecherche}, {edtVideoRecherche, lblVideoMotsCles}};
    for (const auto& [control, label] : labelled) {
        label->setBuddy(control);
        zv::NameAfter(control, label);
    }
    const QPair<QWidget*, QString> lists[] = {{lvMODFichier, QStringLiteral("Mes fichiers")},
        {tvMODPodcast, QStringLiteral("Podcasts")}, {lvMODPodcast, QStringLiteral("Épisodes du podcast")},
        {lvMODRecherche, QStringLiteral("Résultats de la recherche")},
        {lvMODFavoris, QStringLiteral("Mes MP3")}, {lvVideo, QStringLiteral("Vidéos trouvées")}};
    for (const auto& [list, name] : lists)
        list->setAccessibleName(name);
    for (QPushButton* ok : {btnMODRecherche, btnVideoRecherche})
        ok->setAccessibleDescription(QStringLiteral("Rechercher"));

    // Enter in any list plays or opens its row, as a double click does.
    auto* enter = new EnterActivates(this);
    for (QAbstractItemView* v : findChildren<QAbstractItemView*>()) {
        if (v->window() == this)
            v->installEventFilter(enter);
    }

    // A section chosen from the keyboard hands the focus to its list.
    for (TBtnGraph* b : sectionButtons()) {
        connect(b, &TBtnGraph::clicked, this, [this, b] {
            if (!b->hasFocus() || !b->Enfonce())
                return;
            for (QWidget* w : FocusOrder()) {
                if (qobject_cast<QAbstractItemView*>(w)) {
                    w->setFocus(Qt::TabFocusReason);
                    break;
                }
            }
        });
    }
    // The settings menu opened from the keyboard starts on its first item.
    connect(btnConfig, &TBtnGraph::clicked, this, [this] {
        if (!btnConfig->hasFocus() || !mnuConfig->isVisible())
            return;
        for (QAction* a : mnuConfig->actions()) {
            if (a->isEnabled() && !a->isSeparator()) {
                mnuConfig->setActiveAction(a);
                break;
            }
        }
    });

    mnuConfig->addSeparator();
    const auto item = [this](const char* name, const QString& caption, const QKeySequence& keys) {
        auto* a = new QAction(caption, mnuConfig);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(keys);
        mnuConfig->addAction(a);
        // The keys work with the menu closed.
        addAction(a);
        return a;
    };
    mnuConfigDeplacer = item(
        "mnuConfigDeplacer", QStringLiteral("&Déplacer la fenêtre"), QKeySequence(Qt::ALT | Qt::Key_F7));
    mnuConfigRaccourcis
        = item("mnuConfigRaccourcis", QStringLiteral("&Raccourcis clavier"), QKeySequence(Qt::Key_F1));
    connect(mnuConfigDeplacer, &QAction::triggered, this, guard([this] { mnuConfigDeplacerClick(); }));
    connect(mnuConfigRaccourcis, &QAction::triggered, this, guard([this] { mnuConfigRaccourcisClick(); }));

    // The focus waits on the section shown.
    btnFctAccueil->setFocus();
}

QList<QWidget*> TfmPrinc::FocusOrder() const
{
    QList<QWidget*> stops;
    for (QWidget* w : findChildren<QWidget*>()) {
        if (tabStop(w, this))
            stops << w;
    }
    QList<QWidget*> order;
    arrange(this, stops, this, order);
    return order;
}

bool TfmPrinc::focusNextPrevChild(bool next)
{
    const QList<QWidget*> order = FocusOrder();
    if (order.isEmpty())
        return QWidget::focusNextPrevChild(next);
    // The focus may be deep in a stop (a web page's own element).
    qsizetype at = -1;
    for (QWidget* f = QApplication::focusWidget(); f && f != this && at < 0; f = f->parentWidget())
        at = order.indexOf(f);
    const qsizetype n = order.size();
    const qsizetype to = at < 0 ? (next ? 0 : n - 1) : (at + (next ? 1 : n - 1)) % n;
    order[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void TfmPrinc::mnuConfigDeplacerClick()
{
    if (KeyboardMoving())
        return;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        if (QWindow* w = windowHandle())
            w->startSystemMove();
        return;
    }
    new KeyboardMove(this);
}

bool TfmPrinc::KeyboardMoving() const
{
    return findChild<QObject*>(QStringLiteral("zvKeyboardMove"), Qt::FindDirectChildrenOnly) != nullptr;
}

void TfmPrinc::mnuConfigRaccourcisClick()
{
    TfmRaccourcis raccourcis(this);
    raccourcis.exec();
}
