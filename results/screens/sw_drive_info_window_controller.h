#pragma once

#include <QStringList>
#include <functional>

#include "appearance/sw_popover_window_controller.h"

class PVProgressView;
class QLabel;

// The space of a volume in bytes; zeros when it cannot be read.
struct SWDriveSpace {
    quint64 capacity = 0;
    quint64 free = 0;

    // A volume can report more free space than it holds (quotas, some network file
    // systems): nothing counts as used then.
    quint64 used() const { return capacity > free ? capacity - free : 0; }
    // 0 to 1; 0 when the capacity is unknown.
    double usedFraction() const;

    // The volume holding that path, as the system reports it now.
    static SWDriveSpace ofVolumeHolding(const QString& path);
};

// The popover under the device label: how full the drive holding the home folder is,
// as a bar and as a line of capacity, available and used space.
class SWDriveInfoWindowController : public SWPopoverWindowController {
    Q_OBJECT
public:
    static constexpr char kCapacityLine[] = "Capacity: %1    Available: %2    Used: %3";
    static constexpr char kCapacityUnavailable[] = "Capacity unavailable";
    static constexpr char kFontKey[] = "boldTextFont";
    static constexpr char kTextColorKey[] = "textColor";
    static constexpr char kHighlightColorKey[] = "spaceLabelColor";

    using SpaceReader = std::function<SWDriveSpace(const QString& path)>;
    // Replaces how the volume's space is read; null reads it from the system again.
    static void setSpaceReader(SpaceReader reader);

    PVProgressView* progressView() const;
    QLabel* label() const;

    // Reads the volume again and fills the bar and the line in the current theme.
    void updateUI();
    // Rich text: the whole string centred in the theme's text colour, the first occurrence
    // of each highlight in the highlight colour.
    static QString highlightedStringWithString(const QString& string,
                                               const QStringList& highlightStrings);

protected:
    SWDriveInfoWindowController() = default;
    void kp_viewDidLoad() override;

private:
    friend class KPWindowController;
    QString capacityText(const SWDriveSpace& space) const;
};
