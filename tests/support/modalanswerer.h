#pragma once
// ModalAnswerer: answers the modal windows that come up while a test waits in
// them (message boxes, file and input dialogs, game and sponsor windows) the
// way a user would. Every few milliseconds it looks at the active modal window
// and hands it to the first rule of its type. A rule runs at every look while
// its window stays up, so it may wait for the window to be ready.
//
//   ModalAnswerer modals;
//   modals.boxes(QMessageBox::No);                         // each text kept in modals.texts
//   modals.on<TfmJeu>([&](TfmJeu* g) { g->btnFermer->click(); });
//   modals.whenNone([&] { ... });                          // at each look with none up
//   w->FormCreate();                                       // waits in the windows
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

namespace zv::test {

class ModalAnswerer : public QObject {
public:
    // Where to look; by default, the application's active modal window.
    using Finder = std::function<QWidget*()>;
    explicit ModalAnswerer(QObject* parent = nullptr, Finder find = {});

    // Message boxes: keeps each text in `texts`, then presses button; a box
    // without that button is closed as by Escape.
    ModalAnswerer& boxes(QMessageBox::StandardButton button = QMessageBox::Ok);

    // Windows of class W (any QObject subclass with Q_OBJECT): rule(window).
    template <class W, class F> ModalAnswerer& on(F rule)
    {
        rules_.push_back([rule = std::move(rule)](QWidget* w) mutable {
            W* window = qobject_cast<W*>(w);
            if (window)
                rule(window);
            return window != nullptr;
        });
        return *this;
    }

    // Runs at each look that finds no window.
    ModalAnswerer& whenNone(std::function<void()> action);

    QStringList texts; // the message boxes answered, in order

private:
    void look();

    Finder find_;
    std::vector<std::function<bool(QWidget*)>> rules_;
    std::function<void()> none_;
    QTimer timer_;
    bool looking_ = false;
};

} // namespace zv::test
