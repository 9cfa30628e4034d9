#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QStorageInfo>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <cerrno>

#include "appearance/kp_theme_manager.h"
#include "appearance/kp_yosemite_button.h"
#include "appearance/qrk_spinning_progress_indicator.h"
#include "appearance/tg_switch.h"
#include "appearance/theme_selection.h"
#include "base/sw_user_defaults.h"
#include "engine/disk_utilities.h"
#include "platform/file_path.h"
#include "results/memory_formatter.h"
#include "results/screens/sw_about_popover_view_controller.h"
#include "results/screens/sw_desktop.h"
#include "results/screens/sw_finished_popover_view_controller.h"
#include "results/screens/sw_popover_support.h"
#include "results/screens/sw_quit_popover_view_controller.h"
#include "results/screens/sw_selection_popover_controller.h"
#include "results/screens/sw_time_machine_popover_view_controller.h"
#include "tests/results_screens/recording_desktop.h"
#include "tests/support/fake_platform.h"
#include "tests/support/folder_fixtures.h"

namespace {

void useTheme(bool dark) {
    SWThemeSelection::registerThemes();
    KPThemeManager::sharedManager().changeTheme(dark ? "SWDarkTheme" : "SWLightTheme");
}

// Every popover test sees the addresses opened and the requests to quit, and nothing
// opens a browser or ends the test program.
class PopoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        useTheme(false);
        SWDesktop::setShared(desktop);
        swSetTerminateApplication([this] { ++terminations; });
    }
    void TearDown() override {
        SWDesktop::setShared(nullptr);
        swSetTerminateApplication(nullptr);
    }

    std::shared_ptr<RecordingDesktop> desktop = std::make_shared<RecordingDesktop>();
    int terminations = 0;
};

QString plainText(QLabel* label) {
    QTextDocument document;
    document.setHtml(label->text());
    return document.toPlainText();
}

// The text of the label drawn in that colour, fragment by fragment.
QStringList textsInColor(QLabel* label, const QColor& color) {
    QTextDocument document;
    document.setHtml(label->text());
    QStringList found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().foreground().color() == color &&
                it.fragment().charFormat().hasProperty(QTextFormat::ForegroundBrush))
                found.append(it.fragment().text());
    return found;
}

QSRemovedFilePtr record(quint64 size, bool success = true) {
    auto file = std::make_shared<QSScannedFile>();
    file->setPath(QStringLiteral("/nowhere/file-%1").arg(size));
    file->setFileSize(size);
    return std::make_shared<QSRemovedFile>(
        file, success, success ? std::nullopt : std::optional(platform::Error::posix(ENOENT)));
}

std::shared_ptr<SWFinishedPopoverViewController> finished(const QList<QSRemovedFilePtr>& files) {
    auto popover = KPViewController::controller<SWFinishedPopoverViewController>();
    popover->setResultsArray(files);
    return popover;
}

QString removedSentence(const QString& amount, bool bytes, bool plural) {
    return QString::fromLatin1(SWFinishedPopoverViewController::kRemovedSentence)
        .arg(amount, bytes ? "of " : "", plural ? "s" : "");
}

using FinishedPopoverTest = PopoverTest;

TEST_F(FinishedPopoverTest, CountsFilesWhenNothingMeasurableWasFreedSingularOnlyForOne) {
    EXPECT_EQ(plainText(finished({})->label()), removedSentence("0", false, true));
    EXPECT_EQ(plainText(finished({record(0)})->label()), removedSentence("1", false, false));
    EXPECT_EQ(plainText(finished({record(0), record(0)})->label()),
              removedSentence("2", false, true));
}

TEST_F(FinishedPopoverTest, AnAmountIsAlwaysPluralEvenForOneFile) {
    const QString size = KPMemoryFormatter().stringFromBytes(1.2e9);
    auto popover = finished({record(1'200'000'000)});
    EXPECT_EQ(popover->total(), 1'200'000'000u);
    EXPECT_EQ(plainText(popover->label()), removedSentence(size, true, true));
}

// A file someone else removed meanwhile failed with "not found": we did not remove it.
TEST_F(FinishedPopoverTest, CountsOnlyTheFilesItRemoved) {
    auto measured = finished({record(4000), record(9000, false)});
    EXPECT_EQ(measured->total(), 4000u);
    EXPECT_EQ(plainText(measured->label()),
              removedSentence(KPMemoryFormatter().stringFromBytes(4000), true, true));
    EXPECT_EQ(plainText(finished({record(0), record(0, false)})->label()),
              removedSentence("1", false, false));
}

// The drive is the one holding the home folder; one that cannot be read gets thanks.
TEST_F(FinishedPopoverTest, FreeSpaceOfTheHomeDriveOrThanks) {
    ASSERT_TRUE(QStorageInfo(QSDiskUtilities::sharedInstance().homeDirectoryPath()).isValid());
    const QString space = plainText(finished({record(10)})->spaceLabel());
    EXPECT_TRUE(space.startsWith("You now have ")) << space.toStdString();
    EXPECT_TRUE(space.endsWith(" of free space on this drive.")) << space.toStdString();

    FakePlatform platform(QStringLiteral("/nonexistent/sweepwell-home"));
    EXPECT_EQ(plainText(finished({record(10)})->spaceLabel()),
              SWFinishedPopoverViewController::kThankYouText);
}

// Found by pixel: the amount keeps its blue in both themes, the rest of the sentence
// takes the theme's text colour, also when the theme changes while the popover is open.
TEST_F(FinishedPopoverTest, TheHighlightKeepsItsBlueInBothThemes) {
    auto popover = finished({record(5'000'000)});
    popover->view()->show();
    const QColor blue(SWFinishedPopoverViewController::kHighlightColor);
    for (const bool dark : {false, true, false}) {
        useTheme(dark);
        QLabel* label = popover->label();
        EXPECT_EQ(label->palette().color(QPalette::WindowText),
                  KPThemeManager::sharedManager().colorForKey("textColor"));
        EXPECT_EQ(textsInColor(label, blue).join(""), KPMemoryFormatter().stringFromBytes(5e6));
        const QImage image = label->grab().toImage();
        int bluePixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                bluePixels += std::abs(pixel.red() - blue.red()) < 12 &&
                              std::abs(pixel.green() - blue.green()) < 12 &&
                              std::abs(pixel.blue() - blue.blue()) < 12;
            }
        EXPECT_GT(bluePixels, 10) << (dark ? "dark" : "light");
    }
}

TEST_F(FinishedPopoverTest, ScanAgainReportsOnceAndQuitEndsTheProgram) {
    auto popover = finished({record(10)});
    int scans = 0;
    popover->setDidCloseBlock([&] { ++scans; });
    auto* scanAgain = swOutlet<KPYosemiteButton>(popover->view(), "scanAgainButton");
    auto* quit = swOutlet<KPYosemiteButton>(popover->view(), "quitButton");
    scanAgain->click();
    scanAgain->click();
    quit->click();
    EXPECT_EQ(scans, 1);
    EXPECT_EQ(terminations, 0);

    auto quitting = finished({record(10)});
    quitting->setDidCloseBlock([&] { ++scans; });
    swOutlet<KPYosemiteButton>(quitting->view(), "quitButton")->click();
    swOutlet<KPYosemiteButton>(quitting->view(), "quitButton")->click();
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(scans, 1);
    swOutlet<KPYosemiteButton>(quitting->view(), "moreAppsButton")->click();
    EXPECT_EQ(desktop->opened, QList<QUrl>{QUrl(SWWebAddress::kHomePage)});
}

// The confirmation removes through the engine, so its tests remove real files of a
// fixture home.
class TimeMachinePopoverTest : public PopoverTest {
protected:
    QSScannedFilePtr entry(const QString& name) {
        auto file = std::make_shared<QSScannedFile>();
        file->setPath(home.file(name, 100));
        file->setFileName(name);
        file->setFileSize(100);
        file->setSelected(true);
        file->recordIdentityIfNeeded();
        return file;
    }
    SWResultRowPtr row(const QString& title, const QSScannedFilePtr& file, bool selected) {
        auto result = std::make_shared<QSScanResult>(title, title.toLower(), 100,
                                                     QList<QSScannedFilePtr>{file}, "large");
        SWResultRowPtr made = SWResultRow::rowWithScanResult(result);
        made->setSelected(selected);
        return made;
    }
    std::shared_ptr<SWTimeMachinePopoverViewController> shown(const QList<SWResultRowPtr>& rows) {
        auto popover = KPViewController::controller<SWTimeMachinePopoverViewController>();
        popover->setResultsArray(rows);
        popover->setDidCloseBlock([this](bool cancelled, const QList<QSRemovedItemPtr>& items) {
            reports.append({cancelled, items});
        });
        window.resize(640, 480);
        window.show();
        popover->showPopoverInWindow(&window, true);
        return popover;
    }
    KPYosemiteButton* button(SWTimeMachinePopoverViewController& popover, const char* name) {
        return swOutlet<KPYosemiteButton>(popover.view(), name);
    }

    struct Report {
        bool cancelled;
        QList<QSRemovedItemPtr> items;
    };
    FolderFixture fixture;
    FixtureHome& home = fixture.home();
    QWidget window;
    QList<Report> reports;
};

TEST_F(TimeMachinePopoverTest, AdviceOnBackupsThenCancelReportsOnceAndRemovesNothing) {
    auto file = entry("kept");
    auto popover = shown({row("Caches", file, true)});
    button(*popover, "learnButton")->click();
    EXPECT_EQ(desktop->opened, QList<QUrl>{QUrl(SWWebAddress::kBackupAdvice)});
    EXPECT_TRUE(reports.isEmpty());
    button(*popover, "cancelButton")->click();
    button(*popover, "cancelButton")->click();
    button(*popover, "cleanButton")->click();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].cancelled);
    EXPECT_TRUE(reports[0].items.isEmpty());
    EXPECT_FALSE(popover->isRemoving());
    EXPECT_TRUE(exists(file->path()));
    EXPECT_TRUE(waitUntil([&] { return popover->popoverOverlayView() == nullptr; }));
}

TEST_F(TimeMachinePopoverTest, RemovesTheRowsSwitchedOnThroughTheEngineAndReportsOnce) {
    auto removed = entry("removed");
    auto kept = entry("kept");
    auto popover = shown({row("Caches", removed, true), row("Logs", kept, false)});
    button(*popover, "cleanButton")->click();
    // The user's second click and a cancel still in sight during the fade do nothing.
    button(*popover, "cleanButton")->click();
    button(*popover, "cancelButton")->click();
    EXPECT_TRUE(popover->isRemoving());
    EXPECT_TRUE(popover->progressContainerView()->isVisibleTo(popover->view()));
    EXPECT_TRUE(popover->progressIndicator()->isAnimating());

    ASSERT_TRUE(waitUntil([&] { return !reports.isEmpty(); }));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_FALSE(reports[0].cancelled);
    ASSERT_EQ(reports[0].items.size(), 1);
    EXPECT_EQ(reports[0].items[0]->title(), "Caches");
    const auto files = reports[0].items[0]->files().value_or(QList<QSRemovedFilePtr>());
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0]->success());
    EXPECT_FALSE(exists(removed->path()));
    EXPECT_TRUE(exists(kept->path()));
    EXPECT_FALSE(popover->isRemoving());
    EXPECT_TRUE(waitUntil([&] { return popover->popoverOverlayView() == nullptr; }));
    EXPECT_TRUE(waitUntil([&] { return popover->containerTransition() == nullptr; }));
    EXPECT_FALSE(popover->contentView()->isVisibleTo(popover->view()));
}

// The opener may take the popover away while the files are removed (the window closes):
// a popover still there reports once; one destroyed reports nothing, and the removal
// still runs to its end.
TEST_F(TimeMachinePopoverTest, ReportsOnceWhenDismissedMidwayAndNeverWhenDestroyed) {
    auto first = entry("first");
    auto dismissed = shown({row("Caches", first, true)});
    button(*dismissed, "cleanButton")->click();
    // Gone before the removal can report: its report waits for the event loop.
    dismissed->dismissPopoverAnimated(true);
    QAbstractAnimation* away = dismissed->animation();
    away->setCurrentTime(away->totalDuration());
    ASSERT_EQ(dismissed->popoverOverlayView(), nullptr);
    ASSERT_TRUE(waitUntil([&] { return !reports.isEmpty(); }));
    EXPECT_FALSE(reports[0].cancelled);
    EXPECT_FALSE(exists(first->path()));

    auto second = entry("second");
    auto destroyed = shown({row("Logs", second, true)});
    button(*destroyed, "cleanButton")->click();
    QPointer<SWTimeMachinePopoverViewController> watch(destroyed.get());
    destroyed.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(watch.isNull());
    EXPECT_TRUE(waitUntil([&] { return !exists(second->path()); }));
    EXPECT_FALSE(waitUntil([&] { return reports.size() > 1; }, 300));
}

class QuitPopoverTest : public PopoverTest {
protected:
    std::shared_ptr<SWQuitPopoverViewController> popover() {
        auto made = KPViewController::controller<SWQuitPopoverViewController>();
        made->setDidCloseBlock([this](bool quit) { answers.append(quit); });
        return made;
    }
    static void click(SWQuitPopoverViewController& popover, const char* name) {
        swOutlet<KPYosemiteButton>(popover.view(), name)->click();
    }
    // What another process would read: the file on disk.
    static QVariant storedSuppressQuitAlert() {
        QSettings file(SWUserDefaults::standardUserDefaults().userDefaults().fileName(),
                       QSettings::NativeFormat);
        return file.value(SWQuitPopoverViewController::kSuppressQuitAlertKey);
    }
    QList<bool> answers;
};

TEST_F(QuitPopoverTest, QuitStoresTheSwitchAtOnceAndAnswersOnce) {
    for (const bool suppress : {true, false}) {
        answers.clear();
        auto quit = popover();
        quit->switchView()->setChecked(suppress, false);
        click(*quit, "quitButton");
        click(*quit, "quitButton");
        click(*quit, "closeButton");
        EXPECT_EQ(answers, QList<bool>{true});
        EXPECT_EQ(SWQuitPopoverViewController::suppressQuitAlert(), suppress);
        EXPECT_EQ(storedSuppressQuitAlert(), QVariant(suppress));
    }
}

TEST_F(QuitPopoverTest, CancelAnswersOnceAndKeepsTheSetting) {
    SWQuitPopoverViewController::setSuppressQuitAlert(false);
    auto quit = popover();
    quit->switchView()->setChecked(true, false);
    click(*quit, "closeButton");
    click(*quit, "quitButton");
    EXPECT_EQ(answers, QList<bool>{false});
    EXPECT_FALSE(SWQuitPopoverViewController::suppressQuitAlert());
}

TEST_F(QuitPopoverTest, QuittingWaitsForTheRemovalToEnd) {
    auto quit = popover();
    const QString usual = quit->messageLabel()->text();
    quit->setRemovalInProgress(true);
    EXPECT_EQ(quit->messageLabel()->text(), SWQuitPopoverViewController::kRemovalInProgressMessage);
    click(*quit, "quitButton");
    click(*quit, "closeButton");
    EXPECT_TRUE(quit->waitingForRemoval());
    EXPECT_TRUE(answers.isEmpty());
    quit->setRemovalInProgress(false);
    EXPECT_EQ(answers, QList<bool>{true});
    EXPECT_EQ(quit->messageLabel()->text(), usual);

    // A removal that ends before the choice leaves the popover as usual.
    answers.clear();
    auto other = popover();
    other->setRemovalInProgress(true);
    other->setRemovalInProgress(false);
    EXPECT_EQ(other->messageLabel()->text(), usual);
    click(*other, "closeButton");
    EXPECT_EQ(answers, QList<bool>{false});
}

TEST(SelectionPopoverTest, ReportsTheButtonOnceThenCloses) {
    for (const bool deselect : {true, false}) {
        auto selection = KPWindowController::controller<SWSelectionPopoverController>();
        QList<bool> answers;
        selection->setDidSelectBlock([&](bool value) { answers.append(value); });
        KPYosemiteButton* first =
            deselect ? selection->deselectAllButton() : selection->selectAllButton();
        first->click();
        selection->selectAllButton()->click();
        selection->deselectAllButton()->click();
        EXPECT_EQ(answers, QList<bool>{deselect});
        EXPECT_TRUE(selection->animating());
    }
}

class AboutPopoverTest : public PopoverTest {
protected:
    void TearDown() override {
        defaults.setTheme(SWUserDefaults::FollowSystem);
        PopoverTest::TearDown();
    }
    SWUserDefaults& defaults = SWUserDefaults::standardUserDefaults();
};

TEST_F(AboutPopoverTest, ShowsAndWritesBothSettings) {
    defaults.setTheme(SWUserDefaults::Dark);
    defaults.setPlayNotificationSound(false);
    auto about = KPViewController::controller<SWAboutPopoverViewController>();
    QComboBox* themes = about->themeDropDown();
    ASSERT_EQ(themes->count(), 3);
    EXPECT_EQ(themes->currentIndex(), 1);
    EXPECT_FALSE(about->notificationSoundSwitch()->checked());

    themes->setCurrentIndex(2);
    emit themes->activated(2);
    EXPECT_EQ(defaults.theme(), SWUserDefaults::FollowSystem);
    about->view()->show();
    QTest::mouseClick(about->notificationSoundSwitch(), Qt::LeftButton);
    EXPECT_TRUE(defaults.playNotificationSound());
    QTest::mouseClick(about->notificationSoundSwitch(), Qt::LeftButton);
    EXPECT_FALSE(defaults.playNotificationSound());
}

TEST_F(AboutPopoverTest, NameVersionAndTheYearInTheCopyright) {
    const QString name = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName("Sweepwell");
    QCoreApplication::setApplicationVersion("1.4.2");
    auto about = KPViewController::controller<SWAboutPopoverViewController>();
    EXPECT_EQ(about->appNameLabel()->text(), "Sweepwell");
    EXPECT_EQ(about->appVersionLabel()->text(), "Version 1.4.2");
    const QString copyright = about->copyrightLabel()->text();
    EXPECT_FALSE(copyright.contains("CURRENT_YEAR"));
    EXPECT_TRUE(copyright.contains(QString::number(QDate::currentDate().year())));

    about->copyrightLabel()->setText("© 2016 Sweepwell");
    about->setCopyright();
    EXPECT_EQ(about->copyrightLabel()->text(), "© 2016 Sweepwell");
    QGuiApplication::setApplicationDisplayName(name);
}

TEST_F(AboutPopoverTest, LinksAndAClosingThatReportsOnce) {
    auto about = KPViewController::controller<SWAboutPopoverViewController>();
    int closes = 0;
    about->setDidCloseBlock([&] { ++closes; });
    swOutlet<KPYosemiteButton>(about->view(), "supportButton")->click();
    swOutlet<KPYosemiteButton>(about->view(), "moreAppsButton")->click();
    EXPECT_EQ(desktop->opened, (QList<QUrl>{QUrl(SWWebAddress::kSupportSite),
                                            QUrl("https://sweepwell.org/?ref=moreapps")}));
    swOutlet<KPYosemiteButton>(about->view(), "closeButton")->click();
    swOutlet<KPYosemiteButton>(about->view(), "closeButton")->click();
    EXPECT_EQ(closes, 1);
}

// Assistive technology names every control of every popover and knows what it is.
TEST_F(PopoverTest, EveryControlHasAnAccessibleNameAndRole) {
    const QList<QWidget*> views = {
        KPViewController::controller<SWTimeMachinePopoverViewController>()->view(),
        KPViewController::controller<SWFinishedPopoverViewController>()->view(),
        KPViewController::controller<SWQuitPopoverViewController>()->view(),
        KPViewController::controller<SWAboutPopoverViewController>()->view(),
        KPWindowController::controller<SWSelectionPopoverController>()->window(),
    };
    const QHash<QString, QAccessible::Role> roles = {{"KPYosemiteButton", QAccessible::Button},
                                                     {"SWThemableTGSwitch", QAccessible::CheckBox},
                                                     {"QComboBox", QAccessible::ComboBox}};
    int controls = 0;
    for (QWidget* view : views)
        for (QWidget* widget : view->findChildren<QWidget*>()) {
            const auto role = roles.constFind(widget->metaObject()->className());
            if (role == roles.constEnd()) continue;
            ++controls;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            ASSERT_TRUE(accessible) << widget->objectName().toStdString();
            EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
                << widget->objectName().toStdString();
            EXPECT_EQ(accessible->role(), *role) << widget->objectName().toStdString();
        }
    EXPECT_EQ(controls, 16);
}

TEST(PopoverCatalogueTest, EveryPopoverIsRegisteredWithItsFormAndActions) {
    QStringList registered;
    for (const KPScreenCatalogue::Entry& entry : KPScreenCatalogue::entries()) {
        registered.append(entry.type->className());
        EXPECT_EQ(KPScreenCatalogue::problems(entry), QStringList()) << entry.type->className();
    }
    for (const char* name :
         {"SWTimeMachinePopoverViewController", "SWFinishedPopoverViewController",
          "SWQuitPopoverViewController", "SWAboutPopoverViewController"})
        EXPECT_TRUE(registered.contains(name)) << name;
}

}  // namespace
