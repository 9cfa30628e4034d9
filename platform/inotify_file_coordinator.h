#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <memory>
#include <mutex>

#include "platform/services.h"

class QSocketNotifier;

namespace platform {

// Learns of moves through inotify: it watches the folder of every presented file, the
// home's trash folder and the trash folders at the top of the file's own volume (a file
// manager throws a file of another drive into that drive's trash), and pairs the two
// halves of a rename by their cookie. A file moved into a folder that is not watched is
// not reported (its new path is unknown).
// Presenters are added on the main thread; moves are delivered there.
class InotifyFileCoordinator : public QObject, public FileCoordinator {
    Q_OBJECT
public:
    InotifyFileCoordinator();
    ~InotifyFileCoordinator() override;

    void addFilePresenter(FilePresenter* presenter) override;
    void removeFilePresenter(FilePresenter* presenter) override;

    // Extra folders watched for arriving files: the trash folders of the user.
    static QStringList trashFolders();
    // The user's trash folders of the volume that holds the folder: .Trash-$UID/files and
    // .Trash/$UID/files at the volume's top, whether they exist or not.
    static QStringList volumeTrashFolders(const QString& folder);

private:
    void ensureStarted();
    int watch(const QString& folder);
    void unwatch(int wd);
    void readEvents();
    void handleEvent(int wd, quint32 mask, quint32 cookie, const QString& name);

    struct Watched {
        FilePresenter* presenter;
        QList<int> wds;
    };

    std::recursive_mutex mutex_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QHash<int, QString> folders_;  // watch descriptor -> folder
    QHash<int, int> watchUsers_;   // watch descriptor -> number of users
    QList<Watched> presenters_;
    QHash<quint32, FilePresenter*> pendingMoves_;  // rename cookie -> presenter
};

}  // namespace platform
