#pragma once
// Errors of the program. An error that leaves an event handler is shown to the
// user by the default error handler (a message box with its text) and the rest
// of that handler is skipped. No exception may cross Qt's event loop: every
// handler that can fail runs inside guarded().

#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace zv {

// An error with a French text meant for the user.
class Error : public std::exception {
public:
    explicit Error(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// Ends the current action silently: the default error handler shows nothing.
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "aborted"; }
};

// Where the default error handler sends a message. The windowed program installs
// a message box; without one, the text goes to qWarning.
using ErrorReporter = std::function<void(const QString&)>;
void setErrorReporter(ErrorReporter reporter);
void reportError(const QString& message);

// Runs an event handler: an error is reported and ends the handler; zv::Abort
// ends it silently. Returns true when the handler ran to its end.
template <class F>
bool guarded(F&& handler) noexcept
{
    try {
        std::forward<F>(handler)();
        return true;
    } catch (const Abort&) {
    } catch (const Error& e) {
        reportError(e.message());
    } catch (const std::exception& e) {
        reportError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportError(QStringLiteral("Erreur inconnue"));
    }
    return false;
}

// Runs work whose errors are swallowed (background work, settings writes).
template <class F>
bool swallowed(F&& work) noexcept
{
    try {
        std::forward<F>(work)();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace zv
