#include "base/errors.h"

#include <QtGlobal>

namespace zv {

namespace {
ErrorReporter& reporterSlot()
{
    static ErrorReporter reporter;
    return reporter;
}
} // namespace

void setErrorReporter(ErrorReporter reporter)
{
    reporterSlot() = std::move(reporter);
}

void reportError(const QString& message)
{
    auto& reporter = reporterSlot();
    if (!reporter) {
        qWarning("%s", qPrintable(message));
        return;
    }
    try {
        reporter(message);
    } catch (...) {
        qWarning("%s", qPrintable(message));
    }
}

} // namespace zv
