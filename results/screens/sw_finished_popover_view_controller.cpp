#include "results/screens/sw_finished_popover_view_controller.h"

#include <QLabel>
#include <QStorageInfo>

#include "appearance/kp_theme_manager.h"
#include "base/notification_center.h"
#include "engine/disk_utilities.h"
#include "results/memory_formatter.h"
#include "results/screens/sw_desktop.h"
#include "results/screens/sw_popover_support.h"
#include "ui_sw_finished_popover_view_controller.h"

KP_INTERFACE_DEFINITION(SWFinishedPopoverViewController);
KP_SCREEN(SWFinishedPopoverViewController);

void SWFinishedPopoverViewController::kp_viewDidLoad() {
    swPreparePopoverView(view());
    connect(&NotificationCenter::defaultCenter(), &NotificationCenter::notificationPosted, this,
            [this](const QString& name, const void*) {
                if (name == KPThemeManager::kThemeDidUpdateNotification) updateUI();
            });
    updateUI();
}

void SWFinishedPopoverViewController::setResultsArray(const QList<QSRemovedFilePtr>& files) {
    resultsArray_ = files;
    updateUI();
}

void SWFinishedPopoverViewController::setTotal(quint64 total) {
    total_ = total;
    updateUI();
}

QWidget* SWFinishedPopoverViewController::containerView() {
    return swOutlet(view(), "containerView");
}

QLabel* SWFinishedPopoverViewController::label() {
    return swOutlet<QLabel>(view(), "label");
}

QLabel* SWFinishedPopoverViewController::spaceLabel() {
    return swOutlet<QLabel>(view(), "spaceLabel");
}

// A file that was gone before its turn (removed by someone else meanwhile) was not
// removed by us, whatever its size.
quint64 SWFinishedPopoverViewController::calculatedTotal() const {
    quint64 sum = 0;
    for (const QSRemovedFilePtr& record : resultsArray_)
        if (record->success()) sum += record->file()->fileSize();
    return sum;
}

qsizetype SWFinishedPopoverViewController::successfulCount() const {
    return std::count_if(resultsArray_.begin(), resultsArray_.end(),
                         [](const QSRemovedFilePtr& record) { return record->success(); });
}

void SWFinishedPopoverViewController::updateUI() {
    label()->setText(removedSentence());
    spaceLabel()->setText(freeSpaceSentence());
    swFitPopoverHeight(view());
}

// With nothing measurable freed the sentence counts files instead, in the singular only
// for exactly one; an amount of bytes is always "files".
QString SWFinishedPopoverViewController::removedSentence() {
    if (total_ == 0) total_ = calculatedTotal();
    const QString sentence = QString::fromLatin1(kRemovedSentence);
    if (total_ != 0) {
        const QString size = KPMemoryFormatter().stringFromBytes(double(total_));
        return highlightedStringWithString(
            sentence.arg(size, QLatin1String(kOfText), QLatin1String(kPluralSuffix)), size);
    }
    const qsizetype count = successfulCount();
    const QString number = QString::number(count);
    return highlightedStringWithString(
        sentence.arg(number, QString(), count == 1 ? QString() : QLatin1String(kPluralSuffix)),
        number);
}

// The drive is the one that holds the home folder, the one that was scanned.
QString SWFinishedPopoverViewController::freeSpaceSentence() const {
    const QStorageInfo drive(QSDiskUtilities::sharedInstance().homeDirectoryPath());
    if (!drive.isValid() || !drive.isReady())
        return QString::fromLatin1(kThankYouText).toHtmlEscaped();
    const QString free = KPMemoryFormatter().stringFromBytes(double(drive.bytesAvailable()));
    return highlightedStringWithString(QString::fromLatin1(kFreeSpaceSentence).arg(free), free);
}

QString SWFinishedPopoverViewController::highlightedStringWithString(const QString& string,
                                                                     const QString& highlight) {
    const qsizetype at = highlight.isEmpty() ? -1 : string.indexOf(highlight);
    if (at < 0) return string.toHtmlEscaped();
    return string.left(at).toHtmlEscaped() +
           QStringLiteral("<span style=\"color:%1\">%2</span>")
               .arg(QColor(kHighlightColor).name(), highlight.toHtmlEscaped()) +
           string.mid(at + highlight.size()).toHtmlEscaped();
}

void SWFinishedPopoverViewController::on_scanAgainButton_clicked() {
    if (std::exchange(closing_, true)) return;
    swCallOnce(didCloseBlock_);
    dismissPopover();
}

void SWFinishedPopoverViewController::on_quitButton_clicked() {
    if (std::exchange(closing_, true)) return;
    dismissPopover();
    swTerminateApplication();
}

void SWFinishedPopoverViewController::on_moreAppsButton_clicked() {
    SWDesktop::shared().openURL(QUrl(QString::fromLatin1(SWWebAddress::kHomePage)));
}
