#pragma once
// A chooser whose entries may be longer than its width (the bouquet chooser):
// the chosen entry is shown cut with "…" rather than clipped mid-letter, and
// whole on hover; the open list shows every entry whole.
#include <QComboBox>

class TElidedComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TElidedComboBox(QWidget* parent = nullptr);

    // The text the closed chooser shows for `text` in `width` pixels.
    static QString shown(const QFontMetrics& metrics, const QString& text, int width);

protected:
    void paintEvent(QPaintEvent* event) override;
};
