#include "results/screens/sw_desktop.h"

#include <QApplication>
#include <QDesktopServices>

namespace {

std::shared_ptr<SWDesktop>& instance() {
    static std::shared_ptr<SWDesktop> desktop = std::make_shared<SWDesktop>();
    return desktop;
}

}  // namespace

SWDesktop& SWDesktop::shared() {
    return *instance();
}

void SWDesktop::setShared(std::shared_ptr<SWDesktop> desktop) {
    instance() = desktop ? std::move(desktop) : std::make_shared<SWDesktop>();
}

void SWDesktop::openURL(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void SWDesktop::beep() {
    QApplication::beep();
}
