#include <QApplication>
#include <QCommandLineParser>

#include "tools/gallery/gallery_view.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Every control of the appearance kit in every state.");
    parser.addHelpOption();
    parser.addOption({"dark", "Show the dark theme."});
    parser.process(app);

    galleryUseTheme(parser.isSet("dark"));
    GalleryView gallery;
    gallery.setWindowTitle("Sweepwell appearance gallery");
    gallery.show();
    gallery.focusSwitch();
    return app.exec();
}
