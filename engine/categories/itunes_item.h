#pragma once

#include "engine/scan_model.h"

// Device software updates, old library copies and photo caches of the media applications.
class QSiTunesItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSiTunesItem>(); }

    QString title() const override { return QStringLiteral("iTunes Temporary Files"); }
    QString key() const override { return QStringLiteral("itunes-files"); }
    QString path() const override { return kPathMarkerLarge; }
    // The five media folders, whether or not they exist.
    QStringList paths() const override;
    bool hasDetails() const override { return true; }
};
