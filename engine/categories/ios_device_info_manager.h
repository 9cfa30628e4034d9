#pragma once

#include <QHash>
#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/workspace.h"

// A thread-safe memory cache from keys to icon references.
class VRNIconCache {
public:
    QString objectForKey(const QString& key) const;
    void setObject(const QString& icon, const QString& key);

private:
    mutable std::mutex mutex_;
    QHash<QString, QString> icons_;
};

// Turns a device model identifier (for example "iPod7,1", or "iPhone10,1;Simulator") into
// an icon reference. Each instance looks for the device simulator application as it is
// created and keeps the icons it has made.
//
// Icons are references (see workspace.h). A simulator's device icon carries the
// simulator's icon as a badge, referred to as
//   "badge:?base=<device icon>&overlay=<simulator icon>" (both percent-encoded);
// the overlay is drawn over the base at half its width and height, its corner moved in
// from the base's bottom-left corner by a sixteenth of the width and of the height.
class VRNIOSDeviceInfoManager {
public:
    VRNIOSDeviceInfoManager();

    // The icon for the device; empty without an identifier or for a model the system
    // does not know. An empty colour counts as none.
    QString iconForDevice(const QString& identifier, const QString& color);
    QString lookupIconForDevice(const QString& identifier, const QString& color);
    QString selectUTIForDevice(const QString& identifier, const QString& color);
    QString badgeIconWithSimulatorIcon(const QString& icon);
    static bool identifierIsUnspecificSimulator(const QString& identifier);
    void findIOSSimulator();
    // Waits at most one second for the simulator search to finish.
    void waitToFindSimulator();
    QString iconForSimulator();

    VRNIconCache& iconCache() const { return *iconCache_; }

    static QString badgedIcon(const QString& base, const QString& overlay);

private:
    struct SimulatorSearch {
        void run(const std::shared_ptr<platform::Workspace>& workspace);
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        QString simulatorURL;
    };

    std::shared_ptr<SimulatorSearch> search_;
    std::shared_ptr<VRNIconCache> iconCache_;
};

// The model code an identifier names, without a trailing "Simulator" (and one ";" or
// blank before it); `isSimulator` tells whether it was there.
QString normalizedDeviceIdentifier(const QString& identifier, bool* isSimulator);
