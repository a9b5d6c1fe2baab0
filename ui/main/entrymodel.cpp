#include "ui/main/entrymodel.h"

#include <QLocale>
#include <algorithm>

struct TEntryModel::Node {
    zv::Entry entry;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;

    int row() const
    {
        const auto& siblings = parent->children;
        const auto it = std::find_if(siblings.begin(), siblings.end(),
            [this](const std::unique_ptr<Node>& n) { return n.get() == this; });
        return int(it - siblings.begin());
    }
};

TEntryModel::TEntryModel(QStringList headers, QObject* parent)
    : QAbstractItemModel(parent)
    , headers_(std::move(headers))
    , root_(std::make_unique<Node>())
{
}

TEntryModel::~TEntryModel() = default;

TEntryModel::Node* TEntryModel::nodeOf(const QModelIndex& index) const
{
    if (!index.isValid())
        return root_.get();
    return index.model() == this ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex TEntryModel::indexOf(const Node* node, int column) const
{
    if (!node || node == root_.get())
        return {};
    return createIndex(node->row(), column, const_cast<Node*>(node));
}

QModelIndex TEntryModel::index(int row, int column, const QModelIndex& parent) const
{
    const Node* p = nodeOf(parent);
    if (!p || row < 0 || size_t(row) >= p->children.size() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column, p->children[size_t(row)].get());
}

QModelIndex TEntryModel::parent(const QModelIndex& child) const
{
    const Node* n = child.isValid() ? nodeOf(child) : nullptr;
    return n ? indexOf(n->parent) : QModelIndex();
}

int TEntryModel::rowCount(const QModelIndex& parent) const
{
    // Only the first column has children, as in any tree view.
    if (parent.isValid() && parent.column() != 0)
        return 0;
    const Node* p = nodeOf(parent);
    return p ? int(p->children.size()) : 0;
}

int TEntryModel::columnCount(const QModelIndex&) const
{
    return std::max<int>(1, int(headers_.size()));
}

QVariant TEntryModel::data(const QModelIndex& index, int role) const
{
    const zv::Entry* e = entry(index);
    if (!e)
        return {};
    switch (role) {
    case Qt::DisplayRole: return index.column() == 0 ? e->caption : e->folder;
    case zv::AddressRole: return e->address;
    case zv::ContentIdRole: return e->contentId;
    case zv::KindRole: return int(e->kind);
    case zv::FolderRole: return e->folder;
    case zv::DurationRole: return e->duration;
    case zv::ThumbnailRole: return e->thumbnail;
    case zv::PositionRole: return e->positionMs < 0 ? QVariant() : QVariant(e->positionMs);
    case zv::MarkRole: return int(e->mark);
    case zv::PublishedRole: return e->published;
    case Qt::AccessibleDescriptionRole: {
        const QString mark = zv::MarkText(*e), detail = zv::DetailText(*e);
        return mark.isEmpty() || detail.isEmpty() ? mark + detail : mark + QStringLiteral(", ") + detail;
    }
    default: return {};
    }
}

QVariant TEntryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return headers_.value(section);
}

Qt::ItemFlags TEntryModel::flags(const QModelIndex& index) const
{
    return entry(index) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool TEntryModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    Node* n = index.isValid() ? nodeOf(index) : nullptr;
    if (!n)
        return false;
    zv::Entry& e = n->entry;
    if (role == zv::PositionRole) {
        bool ok = true;
        const qint64 ms = value.isValid() ? value.toLongLong(&ok) : -1;
        if (!ok)
            return false;
        e.positionMs = std::max<qint64>(ms, -1);
    } else if (role == zv::MarkRole) {
        const int mark = value.toInt();
        if (mark < int(zv::EntryMark::None) || mark > int(zv::EntryMark::Heard))
            return false;
        e.mark = zv::EntryMark(mark);
    } else {
        return false;
    }
    const QModelIndex first = this->index(index.row(), 0, index.parent());
    emit dataChanged(first, first.siblingAtColumn(columnCount() - 1), {role});
    return true;
}

bool TEntryModel::removeRows(int row, int count, const QModelIndex& parent)
{
    Node* p = nodeOf(parent);
    if (!p || row < 0 || count <= 0 || size_t(row) + size_t(count) > p->children.size())
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    p->children.erase(p->children.begin() + row, p->children.begin() + row + count);
    endRemoveRows();
    return true;
}

QModelIndex TEntryModel::append(zv::Entry entry, const QModelIndex& parent)
{
    std::vector<zv::Entry> one;
    one.push_back(std::move(entry));
    append(std::move(one), parent);
    return index(rowCount(parent) - 1, 0, parent);
}

void TEntryModel::append(std::vector<zv::Entry> entries, const QModelIndex& parent)
{
    Node* p = nodeOf(parent);
    if (!p || entries.empty())
        return;
    const int first = int(p->children.size());
    beginInsertRows(parent, first, first + int(entries.size()) - 1);
    p->children.reserve(p->children.size() + entries.size());
    for (zv::Entry& e : entries) {
        auto node = std::make_unique<Node>();
        node->entry = std::move(e);
        node->parent = p;
        p->children.push_back(std::move(node));
    }
    endInsertRows();
}

void TEntryModel::clear()
{
    if (root_->children.empty())
        return;
    beginResetModel();
    root_->children.clear();
    endResetModel();
}

const zv::Entry* TEntryModel::entry(const QModelIndex& index) const
{
    const Node* n = index.isValid() ? nodeOf(index) : nullptr;
    return n ? &n->entry : nullptr;
}

std::vector<zv::Entry> TEntryModel::entries(const QModelIndex& parent) const
{
    std::vector<zv::Entry> out;
    if (const Node* p = nodeOf(parent)) {
        out.reserve(p->children.size());
        for (const auto& n : p->children)
            out.push_back(n->entry);
    }
    return out;
}

int TEntryModel::level(const QModelIndex& index)
{
    int depth = 0;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        ++depth;
    return depth;
}

namespace zv {

QString ClockText(qint64 ms)
{
    const qint64 s = std::max<qint64>(ms, 0) / 1000;
    const QString minSec = QStringLiteral("%1:%2").arg(s / 60 % 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    if (s < 3600)
        return minSec;
    return QStringLiteral("%1:%2").arg(s / 3600).arg(minSec.rightJustified(5, QLatin1Char('0')));
}

QString MarkText(const Entry& entry)
{
    if (entry.mark == EntryMark::Heard)
        return entry.kind == EntryKind::Video ? QStringLiteral("Vu") : QStringLiteral("Écouté");
    if (entry.positionMs > 0)
        return QStringLiteral("Arrêté à %1").arg(ClockText(entry.positionMs));
    if (entry.mark == EntryMark::New)
        return QStringLiteral("Nouveau");
    return {};
}

QString DetailText(const Entry& entry)
{
    if (entry.kind != EntryKind::Episode)
        return {};
    QStringList parts;
    if (entry.published.isValid())
        parts << QLocale(QLocale::French, QLocale::France)
                     .toString(entry.published.toLocalTime().date(), QStringLiteral("d MMM yyyy"));
    if (!entry.duration.isEmpty())
        parts << entry.duration;
    return parts.join(QStringLiteral(" · "));
}

} // namespace zv
