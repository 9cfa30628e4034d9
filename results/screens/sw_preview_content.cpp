#include "results/screens/sw_preview_content.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QAudioOutput>
#include <QFileIconProvider>
#include <QFontDatabase>
#include <QFormLayout>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLibrary>
#include <QLocale>
#include <QMediaPlayer>
#include <QMimeDatabase>
#include <QPainter>
#include <QPdfDocument>
#include <QPlainTextEdit>
#include <QPromise>
#include <QPushButton>
#include <QStringDecoder>
#include <QThreadPool>
#include <QVBoxLayout>
#include <QVideoWidget>

#include "appearance/kp_text_field.h"
#include "appearance/kp_theme_manager.h"
#include "engine/disk_utilities.h"
#include "platform/file_path.h"
#include "platform/tree_walk.h"
#include "platform/unique_fd.h"
#include "results/memory_formatter.h"
#include "results/screens/sw_desktop.h"

namespace {

constexpr int kIconSize = 128;
constexpr int kMargin = 16;

// The file opened for reading, or null unless it is a regular file: a FIFO or a device
// found by the scan would block or never end. The descriptor keeps a name that is not
// valid UTF-8 readable, which QFile's own open would not.
std::unique_ptr<QFile> openRegularFile(const QString& path) {
    platform::UniqueFd fd(::open(platform::encodePath(path).constData(),
                                 O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    auto file = std::make_unique<QFile>();
    if (!file->open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return nullptr;
    fd.release();
    return file;
}

// The name of an open descriptor that every library can open again, whatever the bytes
// of the file's own name.
QString descriptorPath(const QFile& file) {
    return QStringLiteral("/proc/self/fd/%1").arg(file.handle());
}

QSize fitted(const QSize& size, const QSize& bounds) {
    if (size.width() <= bounds.width() && size.height() <= bounds.height()) return size;
    return size.scaled(bounds, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// Decodes at the size shown: a huge image is never held at full size (formats that can
// only be decoded whole are still bounded by QImageReader's allocation limit).
QImage readImage(QFile& file, const QSize& bounds) {
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid()) reader.setScaledSize(fitted(size, bounds));
    QImage image = reader.read();
    if (image.isNull()) return image;
    // A rotated photo swaps its sides after the scaled decode.
    const QSize shown = fitted(image.size(), bounds);
    return shown == image.size()
               ? image
               : image.scaled(shown, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage renderFirstPage(const QFile& file, const QSize& bounds) {
    QPdfDocument document;
    if (document.load(descriptorPath(file)) != QPdfDocument::Error::None) return {};
    if (document.pageCount() < 1) return {};
    const QSize page = document.pagePointSize(0).toSize();
    if (page.isEmpty()) return {};
    QImage image = document.render(0, page.scaled(bounds, Qt::KeepAspectRatio));
    if (image.isNull()) return image;
    // A page is transparent where nothing is printed; paper is white.
    QImage paper(image.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter(&paper).drawImage(0, 0, image);
    return paper;
}

// The beginning of the file as UTF-8, invalid bytes replaced; a character cut by the
// limit is left out rather than shown broken.
QString readText(QFile& file) {
    const QByteArray bytes = file.read(SWPreviewContent::kTextLimit);
    QStringDecoder decoder(QStringDecoder::Utf8);
    return decoder(bytes);
}

bool isImage(const QMimeType& type) {
    const QList<QByteArray> supported = QImageReader::supportedMimeTypes();
    return supported.contains(type.name().toLatin1());
}

bool isMedia(const QMimeType& type) {
    return type.name().startsWith(QLatin1String("audio/")) ||
           type.name().startsWith(QLatin1String("video/"));
}

// Qt 6.4's GStreamer player crashes when it is created without the elements of
// GStreamer's base and good plugins, which a desktop need not have installed; so they are
// looked for first, in GStreamer's own registry.
bool gstreamerHasPlayerElements() {
    QLibrary gstreamer(QStringLiteral("gstreamer-1.0"), 0);
    using Init = int (*)(int*, char***, void**);
    using Find = void* (*)(const char*);
    using Unref = void (*)(void*);
    const auto init = reinterpret_cast<Init>(gstreamer.resolve("gst_init_check"));
    const auto find = reinterpret_cast<Find>(gstreamer.resolve("gst_element_factory_find"));
    const auto unref = reinterpret_cast<Unref>(gstreamer.resolve("gst_object_unref"));
    if (!init || !find || !unref || !init(nullptr, nullptr, nullptr)) return false;
    for (const char* element :
         {"queue", "input-selector", "fakesink", "videoconvert", "videoscale", "audioconvert",
          "audioresample", "volume", "autoaudiosink", "uridecodebin"}) {
        void* factory = find(element);
        if (!factory) return false;
        unref(factory);
    }
    return true;
}

SWPreviewContent* contentOfFile(const SWPreviewFacts& facts, const QSize& bounds, QWidget* parent) {
    std::unique_ptr<QFile> file = openRegularFile(facts.path);
    if (!file) return nullptr;
    if (isImage(facts.type)) {
        const QImage image = readImage(*file, bounds);
        if (!image.isNull())
            return new SWImagePreview(SWPreviewKind::Image, image, facts.fileName, parent);
    } else if (facts.type.inherits(QStringLiteral("application/pdf"))) {
        const QImage page = renderFirstPage(*file, bounds);
        if (!page.isNull())
            return new SWImagePreview(SWPreviewKind::Pdf, page, facts.fileName, parent);
    } else if (isMedia(facts.type) && SWMediaPreview::isPlaybackAvailable()) {
        return new SWMediaPreview(facts, parent);
    } else if (facts.type.inherits(QStringLiteral("text/plain"))) {
        return new SWTextPreview(readText(*file), facts.fileName, parent);
    }
    return nullptr;
}

QIcon iconFor(const SWPreviewFacts& facts) {
    QIcon icon =
        QIcon::fromTheme(facts.type.iconName(), QIcon::fromTheme(facts.type.genericIconName()));
    if (!icon.isNull()) return icon;
    return QFileIconProvider().icon(facts.isDirectory ? QAbstractFileIconProvider::Folder
                                                      : QAbstractFileIconProvider::File);
}

KPThemableTextField* themedLabel(const QString& text, const QString& fontKey, QWidget* parent) {
    auto* label = new KPThemableTextField(parent);
    label->setFontKey(fontKey);
    label->setTextColorKey(QStringLiteral("textColor"));
    label->setText(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Counts the entries the walk meets without descending: those directly in the folder.
class DirectEntryCounter : public platform::WalkVisitor {
public:
    void visitEntry(const platform::WalkEntry&) override { ++count; }
    bool shouldDescend(const platform::WalkEntry&) override { return false; }
    quint64 count = 0;
};

}  // namespace

SWPreviewFacts SWPreviewFacts::of(const QSScannedFile& item) {
    SWPreviewFacts facts;
    facts.path = item.path();
    facts.fileName =
        item.fileName().isEmpty() ? platform::lastPathComponent(facts.path) : item.fileName();
    facts.size = item.fileSize();
    facts.modificationDate = item.modificationDate();
    QMimeDatabase mimes;
    struct stat info {};
    facts.exists =
        !facts.path.isEmpty() && ::lstat(platform::encodePath(facts.path).constData(), &info) == 0;
    if (!facts.exists) {
        facts.type = mimes.mimeTypeForFile(facts.fileName, QMimeDatabase::MatchExtension);
        return facts;
    }
    facts.isDirectory = S_ISDIR(info.st_mode);
    facts.isRegularFile = S_ISREG(info.st_mode);
    facts.size = quint64(info.st_size);
    facts.modificationDate = QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec);
    if (facts.isRegularFile) {
        std::unique_ptr<QFile> file = openRegularFile(facts.path);
        facts.type = file ? mimes.mimeTypeForFileNameAndData(facts.fileName, file.get())
                          : mimes.mimeTypeForFile(facts.fileName, QMimeDatabase::MatchExtension);
    } else if (facts.isDirectory) {
        facts.type = mimes.mimeTypeForName(QStringLiteral("inode/directory"));
    } else if (S_ISLNK(info.st_mode)) {
        facts.type = mimes.mimeTypeForName(QStringLiteral("inode/symlink"));
    } else {
        facts.type = mimes.mimeTypeForName(QStringLiteral("application/octet-stream"));
    }
    return facts;
}

SWPreviewContent::SWPreviewContent(SWPreviewKind kind, QWidget* parent)
    : QWidget(parent), kind_(kind) {}

SWPreviewContent* SWPreviewContent::create(const QSScannedFile& item, const QSize& bounds,
                                           QWidget* parent) {
    const SWPreviewFacts facts = SWPreviewFacts::of(item);
    if (facts.isRegularFile) {
        if (SWPreviewContent* content = contentOfFile(facts, bounds, parent)) return content;
    }
    return new SWFactsPreview(facts, parent);
}

SWImagePreview::SWImagePreview(SWPreviewKind kind, const QImage& image, const QString& name,
                               QWidget* parent)
    : SWPreviewContent(kind, parent), image_(image) {
    auto* label = new QLabel(this);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(QPixmap::fromImage(image_));
    label->setAccessibleName(QStringLiteral("Preview of %1").arg(name));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
}

SWTextPreview::SWTextPreview(const QString& text, const QString& name, QWidget* parent)
    : SWPreviewContent(SWPreviewKind::Text, parent), textView_(new QPlainTextEdit(this)) {
    textView_->setReadOnly(true);
    textView_->setPlainText(text);
    textView_->setFrameShape(QFrame::NoFrame);
    textView_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Keys belong to the panel, which hands the arrows to the list of entries.
    textView_->setFocusPolicy(Qt::NoFocus);
    textView_->setAccessibleName(QStringLiteral("Text of %1").arg(name));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(textView_);
    themeObserver_.configure(*this);
}

QString SWTextPreview::text() const {
    return textView_->toPlainText();
}

void SWTextPreview::applyTheme() {
    KPThemeManager& theme = KPThemeManager::sharedManager();
    QPalette palette = textView_->palette();
    const QColor text = theme.colorForKey(QStringLiteral("textColor"));
    const QColor background = theme.colorForKey(QStringLiteral("windowColor"));
    if (text.isValid()) palette.setColor(QPalette::Text, text);
    if (background.isValid()) palette.setColor(QPalette::Base, background);
    textView_->setPalette(palette);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (const std::optional<QFont> themed = theme.fontForKey(QStringLiteral("textFont"))) {
        if (themed->pixelSize() > 0) {
            font.setPixelSize(themed->pixelSize());
        } else {
            font.setPointSizeF(themed->pointSizeF());
        }
    }
    textView_->setFont(font);
}

SWMediaPreview::SWMediaPreview(const SWPreviewFacts& facts, QWidget* parent)
    : SWPreviewContent(SWPreviewKind::Media, parent),
      player_(new QMediaPlayer(this)),
      audioOutput_(new QAudioOutput(this)),
      playButton_(new QPushButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    if (facts.type.name().startsWith(QLatin1String("video/"))) {
        auto* video = new QVideoWidget(this);
        video->setAccessibleName(QStringLiteral("Video of %1").arg(facts.fileName));
        player_->setVideoOutput(video);
        layout->addWidget(video, 1);
    } else {
        auto* icon = new QLabel(this);
        icon->setAlignment(Qt::AlignCenter);
        icon->setPixmap(iconFor(facts).pixmap(kIconSize));
        icon->setAccessibleName(facts.type.comment());
        layout->addWidget(icon, 1);
        layout->addWidget(themedLabel(facts.fileName, QStringLiteral("textFont"), this), 0,
                          Qt::AlignHCenter);
    }
    player_->setAudioOutput(audioOutput_);
    // The player reads the file as it plays: nothing is loaded into memory up front.
    player_->setSource(QUrl::fromEncoded(SWFileURI(facts.path)));
    playButton_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(playButton_, 0, Qt::AlignHCenter);
    connect(playButton_, &QPushButton::clicked, this, [this] {
        if (player_->playbackState() == QMediaPlayer::PlayingState) {
            player_->pause();
        } else {
            player_->play();
        }
    });
    connect(player_, &QMediaPlayer::playbackStateChanged, this, &SWMediaPreview::updatePlayButton);
    updatePlayButton();
}

bool SWMediaPreview::isPlaybackAvailable() {
    static const bool available = [] {
        const QString backend = qEnvironmentVariable("QT_MEDIA_BACKEND");
        return (!backend.isEmpty() && backend != QLatin1String("gstreamer")) ||
               gstreamerHasPlayerElements();
    }();
    return available;
}

SWMediaPreview::~SWMediaPreview() {
    player_->stop();
}

void SWMediaPreview::updatePlayButton() {
    const bool playing = player_->playbackState() == QMediaPlayer::PlayingState;
    playButton_->setText(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    playButton_->setAccessibleName(playButton_->text());
}

SWFactsPreview::SWFactsPreview(const SWPreviewFacts& facts, QWidget* parent)
    : SWPreviewContent(facts.isDirectory ? SWPreviewKind::Folder : SWPreviewKind::Facts, parent),
      form_(new QFormLayout) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    auto* icon = new QLabel(this);
    icon->setPixmap(iconFor(facts).pixmap(kIconSize));
    icon->setAccessibleName(facts.type.comment());
    layout->addWidget(icon, 0, Qt::AlignTop);
    form_->setLabelAlignment(Qt::AlignRight);
    form_->addRow(themedLabel(facts.fileName, QStringLiteral("semiBoldTextFont"), this));
    layout->addLayout(form_, 1);
    const KPMemoryFormatter formatter;
    addFact(kKindLabel, facts.type.comment());
    if (facts.isDirectory) {
        addFact(kItemsLabel, QString::fromUtf8(kCalculating));
        addFact(kSizeLabel, QString::fromUtf8(kCalculating));
        measure(facts.path);
    } else {
        addFact(kSizeLabel, formatter.stringFromBytes(double(facts.size)));
    }
    if (facts.modificationDate.isValid())
        addFact(kModifiedLabel, QLocale().toString(facts.modificationDate, QLocale::LongFormat));
    addFact(kWhereLabel, facts.path);
}

SWFactsPreview::~SWFactsPreview() {
    measurement_.cancel();
}

QString SWFactsPreview::fact(const char* label) const {
    const KPThemableTextField* value = values_.value(QLatin1String(label));
    return value ? value->text() : QString();
}

void SWFactsPreview::addFact(const char* label, const QString& value) {
    auto* name = themedLabel(QLatin1String(label), QStringLiteral("textFont"), this);
    auto* shown = themedLabel(value, QStringLiteral("textFont"), this);
    shown->setWordWrap(true);
    shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
    shown->setAccessibleName(QStringLiteral("%1 %2").arg(QLatin1String(label), value));
    form_->addRow(name, shown);
    values_.insert(QLatin1String(label), shown);
}

SWFactsPreview::FolderMeasure SWFactsPreview::measureFolder(const QString& path) {
    FolderMeasure measure;
    platform::UniqueFd folder(::open(platform::encodePath(path).constData(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.valid()) return measure;
    DirectEntryCounter counter;
    platform::walkTree(folder.get(), platform::encodePath(path), counter);
    measure.itemCount = counter.count;
    measure.size = QSDiskUtilities::sharedInstance().fileSizeForPath(path);
    return measure;
}

void SWFactsPreview::measure(const QString& path) {
    auto promise = std::make_shared<QPromise<FolderMeasure>>();
    measurement_.setFuture(promise->future());
    connect(&measurement_, &QFutureWatcher<FolderMeasure>::resultReadyAt, this,
            [this](int index) { showMeasure(measurement_.resultAt(index)); });
    promise->start();
    // A measurement still waiting for a thread when the entry changes is not started.
    QThreadPool::globalInstance()->start([promise, path] {
        if (!promise->isCanceled()) promise->addResult(measureFolder(path));
        promise->finish();
    });
}

void SWFactsPreview::showMeasure(const FolderMeasure& measure) {
    const KPMemoryFormatter formatter;
    const QString items =
        measure.itemCount == 1
            ? QStringLiteral("1 item")
            : QStringLiteral("%1 items").arg(QLocale().toString(measure.itemCount));
    for (const auto& [label, value] :
         {std::pair{kItemsLabel, items},
          std::pair{kSizeLabel, formatter.stringFromBytes(double(measure.size))}}) {
        KPThemableTextField* shown = values_.value(QLatin1String(label));
        shown->setText(value);
        shown->setAccessibleName(QStringLiteral("%1 %2").arg(QLatin1String(label), value));
    }
}
