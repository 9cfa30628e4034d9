#include "results/screens/sw_drive_info_window_controller.h"

#include <QLabel>
#include <QStorageInfo>

#include "appearance/kp_theme_manager.h"
#include "appearance/pv_progress_view.h"
#include "base/notification_center.h"
#include "engine/disk_utilities.h"
#include "results/memory_formatter.h"
#include "results/screens/sw_popover_support.h"
#include "ui_sw_drive_info_window_controller.h"

KP_INTERFACE_DEFINITION(SWDriveInfoWindowController);

namespace {

SWDriveInfoWindowController::SpaceReader& spaceReader() {
    static SWDriveInfoWindowController::SpaceReader reader;
    return reader;
}

// Written with its alpha: the dark theme's text is translucent.
QString cssColor(const QColor& color) {
    return color.name(QColor::HexArgb);
}

}  // namespace

double SWDriveSpace::usedFraction() const {
    if (capacity == 0) return 0;
    return double(used()) / double(capacity);
}

SWDriveSpace SWDriveSpace::ofVolumeHolding(const QString& path) {
    const QStorageInfo volume(path);
    if (!volume.isValid() || !volume.isReady()) return {};
    // Both read as -1 when the system does not say.
    return {quint64(std::max<qint64>(volume.bytesTotal(), 0)),
            quint64(std::max<qint64>(volume.bytesAvailable(), 0))};
}

void SWDriveInfoWindowController::setSpaceReader(SpaceReader reader) {
    spaceReader() = std::move(reader);
}

void SWDriveInfoWindowController::kp_viewDidLoad() {
    connect(&NotificationCenter::defaultCenter(), &NotificationCenter::notificationPosted, this,
            [this](const QString& name, const void*) {
                if (name == KPThemeManager::kThemeDidUpdateNotification) updateUI();
            });
    updateUI();
    QWidget* content = window()->actualContentView();
    swPreparePopoverView(content);
    // The panel draws the card's shadow in a margin around the content.
    window()->resize(content->size().grownBy(window()->shadowMargins()));
}

PVProgressView* SWDriveInfoWindowController::progressView() const {
    return swOutlet<PVProgressView>(window()->actualContentView(), "progressView");
}

QLabel* SWDriveInfoWindowController::label() const {
    return swOutlet<QLabel>(window()->actualContentView(), "label");
}

// The drive is the one that holds the home folder, the one that is scanned: "/" is
// another drive where /home is a partition of its own.
void SWDriveInfoWindowController::updateUI() {
    const QString home = QSDiskUtilities::sharedInstance().homeDirectoryPath();
    const SWDriveSpace space =
        spaceReader() ? spaceReader()(home) : SWDriveSpace::ofVolumeHolding(home);
    progressView()->setDoubleValue(space.usedFraction());
    label()->setText(capacityText(space));
}

QString SWDriveInfoWindowController::capacityText(const SWDriveSpace& space) const {
    if (space.capacity == 0)
        return highlightedStringWithString(QString::fromLatin1(kCapacityUnavailable), {});
    const KPMemoryFormatter formatter;
    const QString capacity = formatter.stringFromBytes(double(space.capacity));
    const QString available = formatter.stringFromBytes(double(space.free));
    const QString used = formatter.stringFromBytes(double(space.used()));
    return highlightedStringWithString(
        QString::fromLatin1(kCapacityLine).arg(capacity, available, used),
        {available, capacity, used});
}

QString SWDriveInfoWindowController::highlightedStringWithString(
    const QString& string, const QStringList& highlightStrings) {
    KPThemeManager& themes = KPThemeManager::sharedManager();
    const QString base = cssColor(themes.colorForKey(QString::fromLatin1(kTextColorKey)));
    const QString highlight = cssColor(themes.colorForKey(QString::fromLatin1(kHighlightColorKey)));
    QList<bool> highlighted(string.size(), false);
    for (const QString& text : highlightStrings) {
        const qsizetype at = text.isEmpty() ? -1 : string.indexOf(text);
        if (at >= 0) std::fill_n(highlighted.begin() + at, text.size(), true);
    }
    // The blanks between the values are part of the line's look.
    QString html = QStringLiteral("<div align=\"center\" style=\"white-space:pre-wrap\">");
    for (qsizetype start = 0, end = 0; start < string.size(); start = end) {
        while (end < string.size() && highlighted[end] == highlighted[start])
            ++end;
        html += QStringLiteral("<span style=\"color:%1\">%2</span>")
                    .arg(highlighted[start] ? highlight : base,
                         string.mid(start, end - start).toHtmlEscaped());
    }
    return html + QStringLiteral("</div>");
}
