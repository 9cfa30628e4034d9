// Starts crash reporting as the application does, then dies in the way its argument
// names: "segv" (a write through a null pointer), "abort", "overflow" (of the stack),
// "throw" (an exception nobody catches), or "none" (a normal exit).
#include <sys/resource.h>
#include <QCoreApplication>
#include <cstdlib>
#include <stdexcept>

#include "app/telemetry/msac_analytics.h"
#include "app/telemetry/msac_app_center.h"
#include "app/telemetry/msac_crashes.h"

namespace {

// Frames of 4 KiB until the stack runs out: the compiler cannot know the depth, so it
// can neither drop the frames nor turn the calls into a loop.
[[gnu::noinline]] int overflow(volatile int* caller) {
    volatile int frame[1024];
    frame[0] = caller ? caller[0] + 1 : 1;
    frame[1] = 0;
    if (frame[0] > 0) frame[1] = overflow(frame);
    return frame[1];
}

}  // namespace

int main(int argc, char** argv) {
    // Every crash here is on purpose: no core files.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("4.5.6"));
    MSACAppCenter::start(formattedAppSecret(kSweepwellAppSecret),
                         {&MSACAnalytics::sharedInstance(), &MSACCrashes::sharedInstance()});
    const QByteArray how = argc > 1 ? argv[1] : "";
    if (how == "segv") {
        volatile int* volatile nowhere = nullptr;
        *nowhere = 1;
    } else if (how == "abort") {
        std::abort();
    } else if (how == "overflow") {
        return overflow(nullptr);
    } else if (how == "throw") {
        throw std::runtime_error("the disk went away");
    }
    return 0;
}
