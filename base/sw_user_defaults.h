#pragma once

#include <optional>

#include "base/hx_user_defaults.h"

// The application's settings.
class SWUserDefaults : public HXUserDefaults {
    Q_OBJECT
public:
    static constexpr char kThemeKey[] = "theme";
    static constexpr char kPlayNotificationSoundKey[] = "playNotificationSound";
    static constexpr char kSelectedStatesKey[] = "selectedStates";

    // The values of `theme`.
    enum Theme : qint64 { Light = 0, Dark = 1, FollowSystem = 2 };

    static SWUserDefaults& standardUserDefaults();

    qint64 theme() const;
    void setTheme(qint64 theme);

    // Whether the program plays its own sound when a scan completes.
    bool playNotificationSound() const;
    void setPlayNotificationSound(bool play);

    // Category key -> whether the user included the category. Absent until the user
    // first switches a category; setting nothing removes the key.
    std::optional<QVariantMap> selectedStates() const;
    void setSelectedStates(const std::optional<QVariantMap>& states);

protected:
    SWUserDefaults() = default;
    QVariantMap setupDefaults() const override;

    friend class HXUserDefaults;
};
