#include <gtest/gtest.h>

#include "appearance/kp_view_controller.h"
#include "tests/appearance/chrome_screens.h"

namespace {

// A slot whose widget name is misspelt: nothing would ever call it.
class MisspeltActionScreen : public ChromeTestScreen {
    Q_OBJECT
public slots:
    void on_nextButon_clicked() {}
};

template <class Screen>
KPScreenCatalogue::Entry entryFor() {
    return {&Screen::staticMetaObject, [] {
                return std::shared_ptr<KPViewController>(KPViewController::controller<Screen>());
            }};
}

}  // namespace

// Forms are found by class name and actions by widget name: a typo in either only shows
// when the screen is opened, so every registered screen and popover is loaded here.
TEST(FormsTest, EveryScreenAndPopoverHasItsFormAndEveryActionItsWidget) {
    for (const KPScreenCatalogue::Entry& entry : KPScreenCatalogue::entries())
        EXPECT_EQ(KPScreenCatalogue::problems(entry), QStringList()) << entry.type->className();
}

TEST(FormsTest, TheCheckNamesAMissingFormAndEveryActionConnectedToNothing) {
    EXPECT_EQ(KPScreenCatalogue::problems(entryFor<ChromeTestGrandchildScreen>()),
              QStringList{"ChromeTestGrandchildScreen: no form"});
    EXPECT_EQ(
        KPScreenCatalogue::problems(entryFor<MisspeltActionScreen>()),
        (QStringList{"MisspeltActionScreen: on_titleLabel_linkActivated is connected to nothing",
                     "MisspeltActionScreen: on_nextButon_clicked is connected to nothing"}));
}

#include "forms_test.moc"
