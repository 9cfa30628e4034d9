#include <QApplication>
#include <QCommandLineParser>

#include "tools/gallery/chrome_gallery.h"
#include "tools/gallery/gallery_view.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Every control of the appearance kit in every state.");
    parser.addHelpOption();
    parser.addOption({"dark", "Show the dark theme."});
    parser.addOption({"chrome", "Also show a window with screens and popovers."});
    parser.process(app);

    galleryUseTheme(parser.isSet("dark"));
    GalleryView gallery;
    gallery.setWindowTitle("Sweepwell appearance gallery");
    gallery.show();
    gallery.focusSwitch();
    std::unique_ptr<ChromeGallery> chrome;
    if (parser.isSet("chrome")) {
        chrome = std::make_unique<ChromeGallery>();
        chrome->setTitle("Sweepwell window chrome");
        chrome->show();
    }
    return app.exec();
}
