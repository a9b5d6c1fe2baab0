#pragma once
// TfmGuide: one channel's programmes for a day, in the user's local time,
// from the guide of its list: the programme on now marked and chosen, its
// details under the list; the day before or after with the arrows.
#include "portal/tv/guide.h"

#include <QDate>
#include <QDateTime>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTreeWidget;

class TfmGuide : public QWidget {
    Q_OBJECT
public:
    explicit TfmGuide(QWidget* owner = nullptr);

    // The channel to show, on the day of now.
    void showChannel(const QString& name, std::shared_ptr<const zv::GuideIndex> guide, int channel);
    void showDay(QDate day);
    QDate day() const { return day_; }

    // The time taken as now (the clock, unless a test says otherwise).
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    QLabel* lblChaine;
    QPushButton* btnVeille;
    QLabel* lblJour;
    QPushButton* btnLendemain;
    QTreeWidget* lvProgrammes;
    QLabel* lblDetail;
    QPushButton* btnFermer;

private:
    void showDetail();
    QDateTime now() const { return clock_ ? clock_() : QDateTime::currentDateTime(); }

    QString name_;
    std::shared_ptr<const zv::GuideIndex> guide_;
    int channel_ = -1;
    QDate day_;
    std::function<QDateTime()> clock_;
};
