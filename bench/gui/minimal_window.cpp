// The smallest Qt Widgets program with a window: a label in a widget. It reports how
// long after the start of the process its first frame was painted, as the application's
// start-up probe does.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include "bench/gui/first_frame.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FirstFrameWatch watch(printFirstFrameAndExit);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Sweepwell")));
    window.show();
    return app.exec();
}
