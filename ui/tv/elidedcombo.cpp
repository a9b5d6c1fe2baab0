#include "ui/tv/elidedcombo.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

TElidedComboBox::TElidedComboBox(QWidget* parent)
    : QComboBox(parent)
{
    connect(this, &QComboBox::currentIndexChanged, this, [this] { setToolTip(currentText()); });
}

QString TElidedComboBox::shown(const QFontMetrics& metrics, const QString& text, int width)
{
    return metrics.elidedText(text, Qt::ElideRight, std::max(0, width));
}

void TElidedComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (!option.currentIcon.isNull())
        field.setLeft(field.left() + option.iconSize.width() + 4);
    // A few pixels to spare: styles draw the label inset from the field.
    option.currentText = shown(fontMetrics(), option.currentText, field.width() - 4);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
