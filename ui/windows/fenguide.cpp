#include "ui/windows/fenguide.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString localTime(qint64 utcSeconds)
{
    return QDateTime::fromSecsSinceEpoch(utcSeconds).toLocalTime().toString(QStringLiteral("HH:mm"));
}

} // namespace

TfmGuide::TfmGuide(QWidget* owner)
    : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("fmGuide"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(480, 540);

    lblChaine = new QLabel(this);
    lblChaine->setObjectName(QStringLiteral("lblChaine"));
    QFont big = lblChaine->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.2);
    lblChaine->setFont(big);
    lblChaine->setTextFormat(Qt::PlainText);

    btnVeille = new QPushButton(QStringLiteral("◀ &Veille"), this);
    btnVeille->setObjectName(QStringLiteral("btnVeille"));
    btnVeille->setToolTip(QStringLiteral("Le jour d'avant (flèche gauche)"));
    lblJour = new QLabel(this);
    lblJour->setObjectName(QStringLiteral("lblJour"));
    lblJour->setAlignment(Qt::AlignCenter);
    btnLendemain = new QPushButton(QStringLiteral("&Lendemain ▶"), this);
    btnLendemain->setObjectName(QStringLiteral("btnLendemain"));
    btnLendemain->setToolTip(QStringLiteral("Le jour d'après (flèche droite)"));
    auto* days = new QHBoxLayout;
    days->addWidget(btnVeille);
    days->addWidget(lblJour, 1);
    days->addWidget(btnLendemain);

    lvProgrammes = new QTreeWidget(this);
    lvProgrammes->setObjectName(QStringLiteral("lvProgrammes"));
    lvProgrammes->setHeaderLabels({QStringLiteral("Heure"), QStringLiteral("Programme")});
    lvProgrammes->setRootIsDecorated(false);
    lvProgrammes->setUniformRowHeights(true);
    lvProgrammes->setAllColumnsShowFocus(true);
    lvProgrammes->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    lvProgrammes->header()->setStretchLastSection(true);

    lblDetail = new QLabel(this);
    lblDetail->setObjectName(QStringLiteral("lblDetail"));
    lblDetail->setWordWrap(true);
    lblDetail->setTextFormat(Qt::PlainText);
    lblDetail->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDetail->setMinimumHeight(lblDetail->fontMetrics().height() * 5);
    lblDetail->setTextInteractionFlags(Qt::TextSelectableByMouse);

    btnFermer = new QPushButton(QStringLiteral("Fermer"), this);
    btnFermer->setObjectName(QStringLiteral("btnFermer"));
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnFermer);

    auto* l = new QVBoxLayout(this);
    l->addWidget(lblChaine);
    l->addLayout(days);
    l->addWidget(lvProgrammes, 1);
    l->addWidget(lblDetail);
    l->addLayout(bottom);

    connect(btnVeille, &QPushButton::clicked, this, [this] { showDay(day_.addDays(-1)); });
    connect(btnLendemain, &QPushButton::clicked, this, [this] { showDay(day_.addDays(1)); });
    connect(btnFermer, &QPushButton::clicked, this, &QWidget::close);
    connect(lvProgrammes, &QTreeWidget::currentItemChanged, this, &TfmGuide::showDetail);
    // The keyboard alone: arrows change the day, Escape closes.
    const auto key = [this](QKeySequence sequence, auto action) {
        auto* shortcut = new QShortcut(sequence, this);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    key(QKeySequence(Qt::Key_Left), [this] { btnVeille->click(); });
    key(QKeySequence(Qt::Key_Right), [this] { btnLendemain->click(); });
    key(QKeySequence(Qt::Key_Escape), [this] { close(); });
    setTabOrder(lvProgrammes, btnVeille);
    setTabOrder(btnVeille, btnLendemain);
    setTabOrder(btnLendemain, btnFermer);
}

void TfmGuide::showChannel(const QString& name, std::shared_ptr<const zv::GuideIndex> guide, int channel)
{
    name_ = name;
    guide_ = std::move(guide);
    channel_ = channel;
    setWindowTitle(QStringLiteral("Guide des programmes – %1").arg(name));
    lblChaine->setText(name);
    showDay(now().toLocalTime().date());
    lvProgrammes->setFocus();
}

void TfmGuide::showDay(QDate day)
{
    day_ = day;
    const QLocale french(QLocale::French);
    const QDate today = now().toLocalTime().date();
    QString title = french.toString(day, QStringLiteral("dddd d MMMM yyyy"));
    if (day == today)
        title = QStringLiteral("Aujourd'hui, ") + title;
    lblJour->setText(title);
    lvProgrammes->clear();
    std::vector<zv::GuideProgramme> programmes;
    if (guide_ && channel_ >= 0 && channel_ < guide_->channelCount())
        programmes = guide_->day(channel_, day);
    const qint64 at = now().toSecsSinceEpoch();
    QTreeWidgetItem* current = nullptr;
    for (const zv::GuideProgramme& p : programmes) {
        const QString times = p.stop > p.start
            ? localTime(p.start) + QStringLiteral(" – ") + localTime(p.stop)
            : localTime(p.start);
        QString title = p.title;
        if (!p.subTitle.isEmpty())
            title += QStringLiteral(" — ") + p.subTitle;
        auto* item = new QTreeWidgetItem(lvProgrammes, {times, title});
        item->setData(0, Qt::UserRole, p.start);
        item->setToolTip(1, title);
        if (p.start <= at && at < p.stop) {
            QFont bold = item->font(1);
            bold.setBold(true);
            item->setFont(0, bold);
            item->setFont(1, bold);
            item->setText(1, QStringLiteral("En ce moment : ") + title);
            current = item;
        }
    }
    if (programmes.empty()) {
        auto* none
            = new QTreeWidgetItem(lvProgrammes, {QString(), QStringLiteral("Aucun programme ce jour-là.")});
        none->setFlags(Qt::ItemIsEnabled);
        lblDetail->clear();
        return;
    }
    QTreeWidgetItem* chosen = current ? current : lvProgrammes->topLevelItem(0);
    lvProgrammes->setCurrentItem(chosen);
    lvProgrammes->scrollToItem(chosen, QAbstractItemView::PositionAtCenter);
    showDetail();
}

void TfmGuide::showDetail()
{
    const QTreeWidgetItem* item = lvProgrammes->currentItem();
    if (!item || !guide_ || channel_ < 0) {
        lblDetail->clear();
        return;
    }
    const qint64 start = item->data(0, Qt::UserRole).toLongLong();
    for (const zv::GuideProgramme& p : guide_->day(channel_, day_)) {
        if (p.start != start)
            continue;
        QStringList lines{item->text(0) + QStringLiteral("  ") + p.title};
        if (!p.subTitle.isEmpty())
            lines << p.subTitle;
        if (!p.description.isEmpty())
            lines << p.description;
        lblDetail->setText(lines.join(u'\n'));
        return;
    }
    lblDetail->clear();
}
