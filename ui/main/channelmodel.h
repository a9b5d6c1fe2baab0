#pragma once
// The rows of the channel list, and the captions the chat radio box mirrors.
// A bouquet may hold a million entries: the rows stay slices of the answer
// they were read from (zv::ChannelTable), no item per row. The rows answer
// the roles of every section's list (entrymodel.h).
#include "portal/canaux.h"
#include "ui/main/entrymodel.h"

#include <QAbstractListModel>
#include <QPixmap>
#include <QVector>
#include <optional>

class TChannelListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void setRows(zv::ChannelTable rows);
    // The rows of an answer after those the list holds.
    void appendRows(zv::ChannelTable rows);
    void clear();
    const zv::ChannelTable& rows() const { return rows_; }
    std::optional<zv::ChannelRow> row(int i) const;
    QString caption(int i) const;

    // The small images the rows point into; empty: no icons.
    void setImages(const QVector<QPixmap>* images);
    const QVector<QPixmap>* images() const { return images_; }

private:
    bool has(int i) const { return i >= 0 && size_t(i) < rows_.size(); }

    zv::ChannelTable rows_;
    const QVector<QPixmap>* images_ = nullptr;
};

// The first `count` captions of the channel list, for the chat radio box.
class TChatRadioModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TChatRadioModel(const TChannelListModel* source, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    void setCount(int count);

private:
    const TChannelListModel* source_;
    int count_ = 0;
};
