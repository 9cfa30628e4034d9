#pragma once

#include "platform/inotify_file_coordinator.h"
#include "platform/services.h"

namespace platform {

// $HOME, or the password database's home folder when $HOME is unset or relative.
class LinuxHomeFolder : public HomeFolder {
public:
    QString homeDirectory() const override;
};

// The mounts of /proc/self/mountinfo; a volume's name is the last component of its
// mount point (the root has none).
class LinuxVolumeList : public VolumeList {
public:
    QList<MountedVolume> mountedVolumes() const override;
    // Parses the text of a mountinfo file.
    static QList<MountedVolume> parseMountInfo(const QByteArray& text);
};

class DesktopNotificationGate : public NotificationGate {
public:
    bool hasUserNotificationCenter() const override { return true; }
};

}  // namespace platform
