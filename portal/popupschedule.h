#pragma once
// The popup schedule of /exe/cont.php?c=info_temps: one entry a line, fields
// "key=value" separated by ",". Keys are found by name, letter case free;
// values are kept as sent (no trimming).
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace zv {

// The entries of an answer. Lines end with CR LF (a lone CR or LF also ends
// one); blank lines carry no entry and are left out.
QList<QByteArray> popupScheduleLines(const QByteArray& answer);

// The key=value fields of one entry, in their order.
QList<QByteArray> popupEntryFields(const QByteArray& line);

// The value of the first field named key (case-insensitive), empty when absent.
QByteArray popupFieldValue(const QList<QByteArray>& fields, QByteArrayView key);

// A whole decimal integer with an optional sign and leading blanks; nothing
// else may follow. No value when the text is not one or does not fit an int.
std::optional<int> popupInteger(QByteArrayView text);

// What the agent does with one entry at a given minute.
enum class PopupAction {
    Wait, // not due yet: kept for a later minute
    Open, // due and shown: open a popup, then remove the entry
    Drop, // due but not shown: removed without a popup
    Fail, // a number field does not read: removed (reported in test mode)
};

struct PopupDecision {
    PopupAction action = PopupAction::Drop;
    QByteArray url;
    int width = 0; // largeur
    int height = 0; // hauteur
};

// Largest page side accepted; beyond it (or below 0) the entry fails, as a
// non-numeric size does.
constexpr int MaxPopupSide = 4096;

// minute: the agent's minute counter; ignored in test mode, where every entry
// is due and "TEST" shows as "OUI" does.
PopupDecision decidePopupEntry(const QByteArray& line, int minute, bool testMode);

// The message shown in test mode for an entry that failed.
QString popupEntryErrorText(const QByteArray& line);

} // namespace zv
