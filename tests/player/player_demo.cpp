// player_demo URL [seconds] [fullscreen|fullscreen-escape]: a window holding the player frame
// playing URL, with its status line; prints the frame's state twice a second.
#include "base/errors.h"
#include "ui/player/cadplayer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: player_demo URL [seconds] [fullscreen|fullscreen-escape]\n");
        return 2;
    }
    zv::setErrorReporter([](const QString& text) { std::printf("message box: %s\n", qPrintable(text)); });

    QWidget window;
    window.setWindowTitle(QStringLiteral("Zevalo Multimédia - lecteur"));
    auto* layout = new QVBoxLayout(&window);
    auto* frame = new TfrmPlayer(&window);
    frame->setMinimumSize(293, 200);
    auto* status = new QLabel(QStringLiteral(" "), &window);
    status->setAlignment(Qt::AlignCenter);
    layout->addWidget(frame, 1);
    layout->addWidget(status);
    QObject::connect(frame, &TfrmPlayer::Message, status, [status](QObject*, const QString& text) {
        status->setText(text);
        std::printf("status: %s\n", qPrintable(text));
        std::fflush(stdout);
    });
    window.resize(320, 260);
    window.show();

    QTimer::singleShot(200, frame, [frame, args] {
        zv::guarded([&] {
            frame->Load(args.at(1));
            frame->Play();
            frame->SetVolume(60);
            const QString mode = args.value(3);
            if (mode.startsWith(QLatin1String("fullscreen")))
                QTimer::singleShot(1500, frame, [frame] { frame->FullScreen(); });
            if (mode == QLatin1String("fullscreen-escape")) {
                // Then Escape, as the user would press it.
                QTimer::singleShot(4000, frame, [] {
                    for (QWidget* w : QApplication::topLevelWidgets())
                        if (w->isVisible() && w->isFullScreen()) {
                            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                            QApplication::sendEvent(w, &press);
                        }
                });
            }
        });
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, frame, [frame] {
        std::printf("playing=%d paused=%d muted=%d position=%.3f\n", frame->IsPlaying(), frame->IsPaused(),
            frame->IsMuted(), frame->GetPosition());
        std::fflush(stdout);
    });
    poll.start(500);
    if (args.size() > 2)
        QTimer::singleShot(static_cast<int>(args.at(2).toDouble() * 1000), &app, &QApplication::quit);
    return app.exec();
}
