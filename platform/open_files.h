#pragma once

#include <QStringList>

namespace platform {

// Which files the processes of this machine hold open right now.
class OpenFiles {
public:
    virtual ~OpenFiles() = default;
    // The paths of the files open in the processes whose descriptors this user may read
    // (its own), as the system names them.
    virtual QStringList openFilePaths() const = 0;
};

// Reads the descriptor links of /proc/<pid>/fd.
class ProcOpenFiles : public OpenFiles {
public:
    explicit ProcOpenFiles(QString procFolder = QStringLiteral("/proc"))
        : procFolder_(std::move(procFolder)) {}
    QStringList openFilePaths() const override;

private:
    QString procFolder_;
};

}  // namespace platform
