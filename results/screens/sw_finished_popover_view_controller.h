#pragma once

#include <QColor>
#include <QList>
#include <functional>

#include "appearance/kp_popover_view_controller.h"
#include "engine/scan_model.h"

class QLabel;

// Tells how much a removal freed and how much space the drive now has, and offers a new
// scan or quitting.
class SWFinishedPopoverViewController : public KPPopoverViewController {
    Q_OBJECT
public:
    // Filled with the highlighted amount, kOfText or nothing, and kPluralSuffix or nothing.
    static constexpr char kRemovedSentence[] =
        "We've successfully removed %1 %2unneeded file%3 from your drive!";
    static constexpr char kOfText[] = "of ";
    static constexpr char kPluralSuffix[] = "s";
    static constexpr char kFreeSpaceSentence[] = "You now have %1 of free space on this drive.";
    // When the drive's free space cannot be read.
    static constexpr char kThankYouText[] = "Thank you for using Sweepwell!";
    // The amounts stand out in the same blue in both themes.
    static constexpr QRgb kHighlightColor = 0xff0076d7;

    using DidCloseBlock = std::function<void()>;

    // The records of the removal; only those that succeeded count.
    const QList<QSRemovedFilePtr>& resultsArray() const { return resultsArray_; }
    void setResultsArray(const QList<QSRemovedFilePtr>& files);
    // Bytes freed; 0 until computed from the records.
    quint64 total() const { return total_; }
    void setTotal(quint64 total);
    quint64 calculatedTotal() const;
    const DidCloseBlock& didCloseBlock() const { return didCloseBlock_; }
    void setDidCloseBlock(DidCloseBlock block) { didCloseBlock_ = std::move(block); }

    QWidget* containerView();
    QLabel* label();
    QLabel* spaceLabel();

    // Builds both sentences again, in the current theme.
    void updateUI();
    // Rich text: the whole string in the label's font and colour, the first occurrence of
    // the highlight in kHighlightColor.
    static QString highlightedStringWithString(const QString& string, const QString& highlight);

public slots:
    void on_scanAgainButton_clicked();
    void on_quitButton_clicked();
    void on_moreAppsButton_clicked();

protected:
    void kp_viewDidLoad() override;

private:
    qsizetype successfulCount() const;
    QString removedSentence();
    QString freeSpaceSentence() const;

    QList<QSRemovedFilePtr> resultsArray_;
    quint64 total_ = 0;
    DidCloseBlock didCloseBlock_;
    bool closing_ = false;
};
