#pragma once

#include <QDateTime>
#include <QFile>
#include <QFutureWatcher>
#include <QImage>
#include <QMimeType>
#include <QWidget>
#include <memory>

#include "appearance/theme_update.h"
#include "engine/scan_model.h"

class KPThemableTextField;
class QAudioOutput;
class QFormLayout;
class QLabel;
class QMediaPlayer;
class QPlainTextEdit;
class QPushButton;

// What the preview panel shows for an entry.
enum class SWPreviewKind { None, Image, Pdf, Text, Media, Folder, Facts };

// What is at an entry's path now, looked at without following a link; the scan's own
// values stand in for what cannot be read (a file removed since the scan).
struct SWPreviewFacts {
    QString path;
    QString fileName;
    bool exists = false;
    bool isDirectory = false;
    bool isRegularFile = false;
    quint64 size = 0;
    QDateTime modificationDate;
    QMimeType type;

    static SWPreviewFacts of(const QSScannedFile& item);
};

// The content of the preview panel for one entry. Destroying it stops playback and
// drops any measurement still running.
class SWPreviewContent : public QWidget {
    Q_OBJECT
public:
    // Text files are shown up to this many bytes.
    static constexpr qint64 kTextLimit = 64 * 1024;

    // The view for the entry, its images fitted into `bounds`. Anything that cannot be
    // read as its type says is shown by its facts.
    static SWPreviewContent* create(const QSScannedFile& item, const QSize& bounds,
                                    QWidget* parent);

    SWPreviewKind kind() const { return kind_; }

protected:
    SWPreviewContent(SWPreviewKind kind, QWidget* parent);

private:
    SWPreviewKind kind_;
};

// An image, or the first page of a PDF, decoded no larger than it is shown.
class SWImagePreview : public SWPreviewContent {
    Q_OBJECT
public:
    SWImagePreview(SWPreviewKind kind, const QImage& image, const QString& name, QWidget* parent);
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

// The beginning of a text file as plain text: never interpreted as rich text.
class SWTextPreview : public SWPreviewContent, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    SWTextPreview(const QString& text, const QString& name, QWidget* parent);
    QString text() const;
    void applyTheme() override;

private:
    QPlainTextEdit* textView_;
    KPThemeObserver themeObserver_;
};

// Audio or video played from the file itself, started and paused with one button.
class SWMediaPreview : public SWPreviewContent {
    Q_OBJECT
public:
    SWMediaPreview(const SWPreviewFacts& facts, QWidget* parent);
    // Whether the media backend can play here; without it media files show their facts.
    static bool isPlaybackAvailable();
    ~SWMediaPreview() override;
    QMediaPlayer* player() const { return player_; }
    QPushButton* playButton() const { return playButton_; }

private:
    void updatePlayButton();

    QMediaPlayer* player_;
    QAudioOutput* audioOutput_;
    QPushButton* playButton_;
};

// The file's icon and facts; for a folder also its item count and total size, measured
// off the main thread.
class SWFactsPreview : public SWPreviewContent {
    Q_OBJECT
public:
    static constexpr char kCalculating[] = "Calculating\u2026";
    static constexpr char kKindLabel[] = "Kind:";
    static constexpr char kSizeLabel[] = "Size:";
    static constexpr char kItemsLabel[] = "Items:";
    static constexpr char kModifiedLabel[] = "Modified:";
    static constexpr char kWhereLabel[] = "Where:";

    SWFactsPreview(const SWPreviewFacts& facts, QWidget* parent);
    ~SWFactsPreview() override;
    // The shown value of a fact by its label, e.g. kSizeLabel; null when not shown.
    QString fact(const char* label) const;

    struct FolderMeasure {
        quint64 itemCount = 0;
        quint64 size = 0;
    };
    // Entries directly in the folder and its size, without following links.
    static FolderMeasure measureFolder(const QString& path);

private:
    void addFact(const char* label, const QString& value);
    void measure(const QString& path);
    void showMeasure(const FolderMeasure& measure);

    QFormLayout* form_;
    QHash<QString, KPThemableTextField*> values_;
    QFutureWatcher<FolderMeasure> measurement_;
};
