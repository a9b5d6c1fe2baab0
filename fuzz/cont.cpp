// The small answers of /exe/cont.php over arbitrary bytes: the popup schedule
// (lines, fields, the decision for one entry) and the version text.
#include "base/errors.h"
#include "fuzz/fuzzing.h"
#include "portal/popupschedule.h"
#include "portal/version.h"

#include <cmath>
#include <limits>

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int minute = data[0] - 10; // the agent's counter, a few steps either side of 0
    const QByteArray answer = fuzz::bytes(data + 1, size - 1);

    qsizetype total = 0;
    for (const QByteArray& line : zv::popupScheduleLines(answer)) {
        check(!line.isEmpty() && !line.contains('\r') && !line.contains('\n'));
        total += line.size();
        for (const bool testMode : {false, true}) {
            const zv::PopupDecision d = zv::decidePopupEntry(line, minute, testMode);
            if (d.action == zv::PopupAction::Open) {
                check(d.width >= 0 && d.width <= zv::MaxPopupSide);
                check(d.height >= 0 && d.height <= zv::MaxPopupSide);
                check(line.contains(d.url));
            } else {
                check(d.url.isEmpty());
            }
            check(!testMode || d.action != zv::PopupAction::Wait);
        }
        check(zv::popupEntryErrorText(line).size() >= line.size());
    }
    check(total <= answer.size());

    std::optional<int> parsed = zv::popupInteger(answer);
    const auto expected
        = fuzz::plainInteger(answer, " \t", std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    check(parsed.has_value() == expected.has_value() && (!parsed || *parsed == *expected));

    for (const QChar separator : {QChar(u'.'), QChar(u',')}) {
        try {
            check(std::isfinite(zv::VersionNumber(answer, separator)));
        } catch (const zv::Error& e) {
            check(!e.message().isEmpty());
        }
    }
    return 0;
}
