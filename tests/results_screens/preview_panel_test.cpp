#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDataStream>
#include <QDir>
#include <QKeyEvent>
#include <QMediaPlayer>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include "appearance/kp_theme_manager.h"
#include "appearance/theme_selection.h"
#include "engine/disk_utilities.h"
#include "platform/file_path.h"
#include "results/memory_formatter.h"
#include "results/screens/sw_preview_panel.h"
#include "tests/appearance/private_bus.h"
#include "tests/support/fixture_home.h"

// GNOME's previewer on the bus, recording what it is asked to show and announcing its
// window's visibility and the arrow keys pressed in it as the real one does.
class FakePreviewer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.NautilusPreviewer2")
public:
    QStringList shownURIs;
    int closes = 0;

public slots:
    void ShowFile(const QString& uri, const QString&, bool) { shownURIs << uri; }
    void Close() { ++closes; }
};

namespace {

using Kind = SWPreviewPanel::Kind;

// A list of entries whose selection the arrow keys move.
class FakeController : public SWPreviewPanelController {
public:
    QSScannedFilePtr previewItem() override { return items.value(selected); }
    bool previewPanelHandleKeyEvent(QKeyEvent* event) override {
        keys << std::pair{event->type(), event->key()};
        if (event->type() != QEvent::KeyPress || event->key() != Qt::Key_Down ||
            selected + 1 >= items.size())
            return false;
        ++selected;
        return true;
    }
    QList<QSScannedFilePtr> items;
    qsizetype selected = 0;
    QList<std::pair<QEvent::Type, int>> keys;
};

bool measured(const SWFactsPreview& facts) {
    return facts.fact(SWFactsPreview::kSizeLabel) !=
           QString::fromUtf8(SWFactsPreview::kCalculating);
}

QDBusConnection offline() {
    return QDBusConnection(QStringLiteral("offline"));
}

class PreviewPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        SWThemeSelection::registerThemes();
        KPThemeManager::sharedManager().changeTheme("SWLightTheme");
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    QSScannedFilePtr entry(const QString& path, quint64 scannedSize = 0) {
        auto item = std::make_shared<QSScannedFile>();
        item->setPath(path);
        item->setFileName(platform::lastPathComponent(path));
        item->setFileSize(scannedSize);
        return item;
    }

    QSScannedFilePtr write(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return entry(path(name));
    }

    QSScannedFilePtr image(const QString& name, const QSize& size, const char* format) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        EXPECT_TRUE(image.save(path(name), format));
        return entry(path(name));
    }

    QSScannedFilePtr pdf(const QString& name) {
        QPdfWriter writer(path(name));
        QPainter painter(&writer);
        QFont font = painter.font();
        font.setPointSize(48);
        painter.setFont(font);
        painter.drawText(QRect(0, 0, writer.width(), writer.height() / 4), Qt::AlignCenter,
                         QStringLiteral("Quarterly report"));
        painter.fillRect(QRect(0, writer.height() / 2, writer.width(), writer.height() / 8),
                         Qt::darkRed);
        return entry(path(name));
    }

    // Half a second of silence: 8 kHz, 8-bit mono PCM.
    QSScannedFilePtr wave(const QString& name) {
        const QByteArray samples(4000, '\x80');
        QByteArray wav;
        QDataStream out(&wav, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out.writeRawData("RIFF", 4);
        out << quint32(36 + samples.size());
        out.writeRawData("WAVEfmt ", 8);
        out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(8000)
            << quint16(1) << quint16(8);
        out.writeRawData("data", 4);
        out << quint32(samples.size());
        out.writeRawData(samples.constData(), int(samples.size()));
        return write(name, wav);
    }

    // The panel on its own, showing the controller's entry.
    void show(SWPreviewPanel& panel, const QSScannedFilePtr& item) {
        controller_.items = {item};
        controller_.selected = 0;
        panel.setController(&controller_);
        panel.makeKeyAndOrderFront();
    }

    QTemporaryDir dir_;
    FakeController controller_;
};

// An image is decoded at the size shown: a small one as it is, a large one no larger
// than the panel.
TEST_F(PreviewPanelTest, ImagesAreDecodedNoLargerThanThePanel) {
    SWPreviewPanel panel(offline());
    show(panel, image("small.png", QSize(40, 30), "PNG"));
    ASSERT_EQ(panel.shownKind(), Kind::Image);
    EXPECT_EQ(panel.windowTitle(), "small.png");
    EXPECT_EQ(static_cast<SWImagePreview*>(panel.content())->image().size(), QSize(40, 30));

    show(panel, image("large.jpg", QSize(4000, 3000), "JPEG"));
    ASSERT_EQ(panel.shownKind(), Kind::Image);
    const QSize decoded = static_cast<SWImagePreview*>(panel.content())->image().size();
    EXPECT_LE(decoded.width(), panel.width());
    EXPECT_LE(decoded.height(), panel.height());
    EXPECT_GE(decoded.width(), panel.width() / 2);

    // Named as an image, but not one: its facts.
    show(panel, write("broken.png", "not an image at all"));
    EXPECT_EQ(panel.shownKind(), Kind::Facts);
}

// The first page of a PDF is drawn, with its ink, fitted into the panel.
TEST_F(PreviewPanelTest, APdfShowsItsFirstPage) {
    SWPreviewPanel panel(offline());
    show(panel, pdf("report.pdf"));
    ASSERT_EQ(panel.shownKind(), Kind::Pdf);
    const QImage page = static_cast<SWImagePreview*>(panel.content())->image();
    EXPECT_LE(page.height(), panel.height());
    EXPECT_GT(page.height(), panel.height() / 2);
    // The red band drawn halfway down the page.
    const QColor band = page.pixelColor(page.width() / 2, page.height() * 9 / 16);
    EXPECT_GT(band.red(), 100);
    EXPECT_LT(band.green(), 60);
}

// Only the first 64 KiB of a text show, as plain text with invalid bytes replaced.
TEST_F(PreviewPanelTest, TextShowsItsBeginningAsPlainText) {
    SWPreviewPanel panel(offline());
    QByteArray text = "<b>not bold</b>\xff\n";
    text += QByteArray(70 * 1024, 'x') + "END";
    show(panel, write("long.log", text));
    ASSERT_EQ(panel.shownKind(), Kind::Text);
    const QString shown = static_cast<SWTextPreview*>(panel.content())->text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("<b>not bold</b>\uFFFD\n")));
    EXPECT_EQ(shown.size(), SWPreviewContent::kTextLimit);
    EXPECT_FALSE(shown.endsWith("END"));

    // A character cut by the limit is left out, not shown as a broken one.
    QByteArray cut(SWPreviewContent::kTextLimit - 1, 'a');
    cut += "\xc3\xa9 more";
    show(panel, write("cut.txt", cut));
    ASSERT_EQ(panel.shownKind(), Kind::Text);
    const QString cutShown = static_cast<SWTextPreview*>(panel.content())->text();
    EXPECT_EQ(cutShown, QString(SWPreviewContent::kTextLimit - 1, u'a'));
}

// A folder's item count and size arrive from a measurement that never follows a link.
TEST_F(PreviewPanelTest, AFolderShowsItsCountAndSizeWithoutFollowingLinks) {
    ASSERT_TRUE(QDir(dir_.path()).mkpath("folder/sub"));
    write("folder/a.bin", QByteArray(1000, 'a'));
    write("folder/sub/b.bin", QByteArray(2000, 'b'));
    write("outside.bin", QByteArray(500'000, 'o'));
    ASSERT_TRUE(QFile::link(path("outside.bin"), path("folder/link")));
    SWPreviewPanel panel(offline());
    show(panel, entry(path("folder")));
    ASSERT_EQ(panel.shownKind(), Kind::Folder);
    auto* facts = static_cast<SWFactsPreview*>(panel.content());
    EXPECT_EQ(facts->fact(SWFactsPreview::kItemsLabel),
              QString::fromUtf8(SWFactsPreview::kCalculating));
    ASSERT_TRUE(waitUntil([&] { return measured(*facts); }));
    EXPECT_EQ(facts->fact(SWFactsPreview::kItemsLabel), "3 items");
    const quint64 linkSize = quint64(path("outside.bin").toUtf8().size());
    EXPECT_EQ(facts->fact(SWFactsPreview::kSizeLabel),
              KPMemoryFormatter().stringFromBytes(double(3000 + linkSize)));

    // A measurement still running when the entry changes is dropped with the folder's
    // view.
    show(panel, entry(path("folder")));
    show(panel, entry(path("folder/a.bin")));
    QThreadPool::globalInstance()->waitForDone();
    QApplication::processEvents();
    EXPECT_EQ(panel.windowTitle(), "a.bin");
    EXPECT_EQ(panel.shownKind(), Kind::Text);
}

// Anything else, and a file removed since the scan, show what can be known of them.
TEST_F(PreviewPanelTest, OtherFilesAndMissingOnesShowTheirFacts) {
    SWPreviewPanel panel(offline());
    QByteArray binary(3000, '\0');
    binary[0] = '\x7f';
    show(panel, write("blob.bin", binary));
    ASSERT_EQ(panel.shownKind(), Kind::Facts);
    auto* facts = static_cast<SWFactsPreview*>(panel.content());
    EXPECT_EQ(facts->fact(SWFactsPreview::kSizeLabel), KPMemoryFormatter().stringFromBytes(3000));
    EXPECT_FALSE(facts->fact(SWFactsPreview::kKindLabel).isEmpty());
    EXPECT_FALSE(facts->fact(SWFactsPreview::kModifiedLabel).isEmpty());

    const QString missing = path("gone/photo.jpg");
    show(panel, entry(missing, 1234));
    ASSERT_EQ(panel.shownKind(), Kind::Facts);
    facts = static_cast<SWFactsPreview*>(panel.content());
    EXPECT_EQ(facts->fact(SWFactsPreview::kWhereLabel), missing);
    EXPECT_EQ(facts->fact(SWFactsPreview::kSizeLabel), KPMemoryFormatter().stringFromBytes(1234));

    // A FIFO is never opened: reading it would wait for a writer forever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.txt")).constData(), 0600), 0);
    show(panel, entry(path("pipe.txt")));
    EXPECT_EQ(panel.shownKind(), Kind::Facts);
}

// A sound plays from the file with a play button; closing the panel ends the player.
// Where the media backend lacks what it needs to play, the sound shows its facts.
TEST_F(PreviewPanelTest, MediaPlaysFromTheFileUntilThePanelCloses) {
    SWPreviewPanel panel(offline());
    show(panel, wave("chime.wav"));
    if (!SWMediaPreview::isPlaybackAvailable()) {
        EXPECT_EQ(panel.shownKind(), Kind::Facts);
        GTEST_SKIP() << "the media backend cannot play here";
    }
    ASSERT_EQ(panel.shownKind(), Kind::Media);
    auto* media = static_cast<SWMediaPreview*>(panel.content());
    EXPECT_EQ(media->playButton()->accessibleName(), "Play");
    EXPECT_TRUE(media->player()->source().isLocalFile());
    QPointer<QMediaPlayer> player = media->player();
    panel.orderOut();
    EXPECT_FALSE(panel.isPanelVisible());
    EXPECT_EQ(panel.shownKind(), Kind::None);
    EXPECT_TRUE(player.isNull());
}

// Escape and Space close the panel; other keys go to the list, whose next entry shows.
TEST_F(PreviewPanelTest, KeysMoveTheListOrCloseThePanel) {
    SWPreviewPanel panel(offline());
    controller_.items = {write("one.txt", "1"), write("two.txt", "2")};
    panel.setController(&controller_);
    panel.makeKeyAndOrderFront();
    ASSERT_TRUE(panel.isPanelVisible());
    EXPECT_EQ(panel.windowTitle(), "one.txt");
    QTest::keyClick(&panel, Qt::Key_Down);
    EXPECT_EQ(panel.windowTitle(), "two.txt");
    EXPECT_EQ(controller_.keys.size(), 2);  // the press and the release
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Space}) {
        panel.makeKeyAndOrderFront();
        ASSERT_TRUE(panel.isPanelVisible());
        QTest::keyClick(&panel, key);
        EXPECT_FALSE(panel.isPanelVisible());
        EXPECT_EQ(panel.shownKind(), Kind::None);
    }
    EXPECT_EQ(controller_.keys.size(), 2);

    panel.makeKeyAndOrderFront();
    panel.setController(nullptr);
    EXPECT_FALSE(panel.isPanelVisible());
}

TEST_F(PreviewPanelTest, TheSharedPanelIsCreatedOnce) {
    SWPreviewPanel* panel = SWPreviewPanel::sharedPreviewPanel();
    EXPECT_EQ(SWPreviewPanel::sharedPreviewPanel(), panel);
    EXPECT_EQ(SWPreviewPanel::existingPreviewPanel(), panel);
}

// With GNOME's previewer on the bus the entry goes there, by its bytes, and our window
// stays hidden; its arrow keys move the list and its closing is noticed.
TEST_F(PreviewPanelTest, TheDesktopsPreviewerShowsTheEntryWhenThere) {
    PrivateBus bus;
    if (!bus.isRunning()) GTEST_SKIP() << "dbus-daemon is not installed";
    QDBusConnection previewerBus = bus.connect("previewer");
    FakePreviewer previewer;
    ASSERT_TRUE(previewerBus.registerService("org.gnome.NautilusPreviewer"));
    ASSERT_TRUE(previewerBus.registerObject("/org/gnome/NautilusPreviewer", &previewer,
                                            QDBusConnection::ExportAllSlots));
    const QByteArray oddName = QFile::encodeName(dir_.path()) + "/r\xe9sum\xe9.pdf";
    ::close(::open(oddName.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
    controller_.items = {entry(platform::decodePath(oddName)), write("next.txt", "n")};
    SWPreviewPanel panel(bus.connect("program"));
    panel.setController(&controller_);
    panel.makeKeyAndOrderFront();
    ASSERT_TRUE(waitUntil([&] { return !previewer.shownURIs.isEmpty(); }, 5000));
    EXPECT_EQ(
        previewer.shownURIs.constFirst(),
        "file://" + QFile::encodeName(dir_.path()).toPercentEncoding("/") + "/r%E9sum%E9.pdf");
    EXPECT_TRUE(panel.usesDesktopPreviewer());
    EXPECT_TRUE(panel.isPanelVisible());
    EXPECT_FALSE(panel.isVisible());

    // Down in the previewer's window, sent as u as version 50 does.
    QDBusMessage selection = QDBusMessage::createSignal(
        "/org/gnome/NautilusPreviewer", "org.gnome.NautilusPreviewer2", "SelectionEvent");
    selection << 3u;
    // The bus applies the panel's match rules asynchronously, so the event is repeated.
    EXPECT_TRUE(waitUntil(
        [&] {
            if (controller_.selected == 0) previewerBus.send(selection);
            return previewer.shownURIs.size() == 2;
        },
        5000));
    EXPECT_TRUE(previewer.shownURIs.last().endsWith("/next.txt"));

    QDBusMessage closed = QDBusMessage::createSignal(
        "/org/gnome/NautilusPreviewer", "org.freedesktop.DBus.Properties", "PropertiesChanged");
    closed << QString("org.gnome.NautilusPreviewer2") << QVariantMap{{"Visible", false}}
           << QStringList();
    previewerBus.send(closed);
    EXPECT_TRUE(waitUntil([&] { return !panel.isPanelVisible(); }, 5000));

    panel.makeKeyAndOrderFront();
    panel.orderOut();
    EXPECT_TRUE(waitUntil([&] { return previewer.closes == 1; }, 5000));
    previewerBus.unregisterObject("/org/gnome/NautilusPreviewer");
    // QTemporaryDir cannot remove names that are not valid UTF-8.
    ::unlink(oddName.constData());
}

// A previewer that is registered but does not answer our call leaves the entry to our
// own window.
TEST_F(PreviewPanelTest, APreviewerThatFailsLeavesTheEntryToOurWindow) {
    PrivateBus bus;
    if (!bus.isRunning()) GTEST_SKIP() << "dbus-daemon is not installed";
    QDBusConnection previewerBus = bus.connect("previewer");
    ASSERT_TRUE(previewerBus.registerService("org.gnome.NautilusPreviewer"));
    SWPreviewPanel panel(bus.connect("program"));
    show(panel, write("notes.txt", "notes"));
    EXPECT_TRUE(waitUntil([&] { return panel.isVisible(); }, 5000));
    EXPECT_EQ(panel.shownKind(), Kind::Text);
    EXPECT_FALSE(panel.usesDesktopPreviewer());
}

void saveScreenshot(SWPreviewPanel& panel, const QString& name, bool dark) {
    QApplication::processEvents();
    QApplication::processEvents();
    QImage image(panel.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    panel.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QString file = QStringLiteral(SWEEPWELL_SCREENSHOT_DIR "/preview-%1-%2.png")
                             .arg(name, dark ? "dark" : "light");
    EXPECT_TRUE(image.save(file)) << file.toStdString();
}

// Renders the panel for every kind in both themes to build/screenshots/preview-*.png.
TEST_F(PreviewPanelTest, EveryKindInBothThemes) {
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(SWEEPWELL_SCREENSHOT_DIR)));
    ASSERT_TRUE(QDir(dir_.path()).mkpath("Projects"));
    write("Projects/notes.md", QByteArray(12'345, 'n'));
    const std::vector<std::pair<QString, QSScannedFilePtr>> kinds = {
        {"image", image("holiday.jpg", QSize(1600, 1200), "JPEG")},
        {"pdf", pdf("report.pdf")},
        {"text", write("install.log", "Setting up package 1.0...\nDone.\n")},
        {"media", wave("chime.wav")},
        {"folder", entry(path("Projects"))},
        {"facts", write("archive.bin", QByteArray(4096, '\1'))},
        {"missing", entry(path("gone.iso"), 4'700'000'000)},
    };
    SWPreviewPanel panel(offline());
    for (const bool dark : {false, true}) {
        KPThemeManager::sharedManager().changeTheme(dark ? "SWDarkTheme" : "SWLightTheme");
        for (const auto& [name, item] : kinds) {
            show(panel, item);
            if (auto* facts = qobject_cast<SWFactsPreview*>(panel.content())) {
                ASSERT_TRUE(waitUntil([&] { return measured(*facts); }));
            }
            saveScreenshot(panel, name, dark);
        }
    }
    panel.orderOut();
}

}  // namespace

#include "preview_panel_test.moc"
