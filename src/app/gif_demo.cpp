// A small window around the animated GIF control: open a file, play, stop.
#include "ui/common/message_box_service.h"
#include "ui/desktop/animated_gif.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace tavrino;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    MessageBoxService messages;
    QWidget window;
    window.setWindowTitle(QStringLiteral("Animated GIF"));
    auto* gif = new AnimatedGif(messages);
    auto* open = new QPushButton(QStringLiteral("&Open..."));
    auto* play = new QPushButton(QStringLiteral("&Play"));
    auto* stop = new QPushButton(QStringLiteral("&Stop"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {open, play, stop})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(gif, 1, Qt::AlignCenter);
    layout->addLayout(buttons);

    auto load = [gif](const QString& name) {
        if (name.isEmpty()) return;
        gif->setFileName(name);
        gif->loadGif(true);
    };
    QObject::connect(open, &QPushButton::clicked, &window, [&] {
        load(QFileDialog::getOpenFileName(&window, QStringLiteral("Open"), QString(),
                                          QStringLiteral("GIF (*.gif *.GIF)")));
    });
    // The window grows to show the whole picture, whatever its size.
    QObject::connect(gif, &AnimatedGif::pictureResized, &window, [gif, &window] {
        gif->setMinimumSize(gif->sizeHint());
        window.adjustSize();
    });
    QObject::connect(play, &QPushButton::clicked, gif, &AnimatedGif::startAnimation);
    QObject::connect(stop, &QPushButton::clicked, gif, &AnimatedGif::stopGif);
    window.resize(320, 240);
    if (argc > 1) load(QString::fromLocal8Bit(argv[1]));
    window.show();
    return QApplication::exec();
}
