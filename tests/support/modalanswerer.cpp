#include "support/modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>

namespace zv::test {

ModalAnswerer::ModalAnswerer(QObject* parent, Finder find)
    : QObject(parent)
    , find_(find ? std::move(find) : Finder([] { return QApplication::activeModalWidget(); }))
{
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::look);
    timer_.start(30);
}

ModalAnswerer& ModalAnswerer::boxes(QMessageBox::StandardButton button)
{
    return on<QMessageBox>([this, button](QMessageBox* box) {
        texts << box->text();
        if (QAbstractButton* b = box->button(button))
            b->click();
        else
            box->reject();
    });
}

ModalAnswerer& ModalAnswerer::whenNone(std::function<void()> action)
{
    none_ = std::move(action);
    return *this;
}

void ModalAnswerer::look()
{
    // A rule that waits in a loop of its own must not be entered again.
    if (looking_)
        return;
    looking_ = true;
    QWidget* window = find_();
    if (!window) {
        if (none_)
            none_();
    } else {
        for (auto& rule : rules_) {
            if (rule(window))
                break;
        }
    }
    looking_ = false;
}

} // namespace zv::test
