// The application's start-up, as its entry point runs it, reporting how long after the
// start of the process the main window's first frame was painted; the start-up benchmark
// runs it as a child.
#include <QApplication>
#include <cstdio>

#include "app/app_options.h"
#include "bench/gui/app_launch.h"
#include "bench/gui/first_frame.h"

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const ParsedAppOptions parsed = parseAppOptions(arguments);
    if (!parsed.options || parsed.options->help || parsed.options->version) {
        std::fprintf(stderr,
                     "usage: sweepwell_app_startup_probe [--home DIR] [--system-root DIR]\n");
        return 2;
    }

    QApplication app(argc, argv);
    FirstFrameWatch watch(printFirstFrameAndExit);
    AppLaunch launch(*parsed.options);
    if (!launch.delegate()) {
        std::fprintf(stderr, "another instance runs for this home\n");
        return 1;
    }
    return app.exec();
}
