#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// Removing what the user's own rights cannot: our removal helper run as administrator
// (pkexec and a polkit action on Linux), given a handler name and paths, never a shell.
namespace platform {

class PrivilegedRemover {
public:
    // The handler names the helper answers to.
    static constexpr char kRemoveOne[] = "removeApplication";
    static constexpr char kRemoveMany[] = "removeApplications";

    virtual ~PrivilegedRemover() = default;
    // Whether the system can run a program as administrator at all.
    virtual bool isAvailable() const = 0;
    // Whether our helper and its permission are installed.
    virtual bool isInstalled() const = 0;
    // Runs the helper; `finished` is called exactly once, on the main thread, whatever
    // happened (the helper could not start, the user cancelled, it crashed).
    virtual void run(const QString& handler, const QStringList& paths,
                     std::function<void()> finished) = 0;
};

}  // namespace platform

// The error screen's way to the privileged helper. It judges the outcome by what exists
// afterwards, never by what the helper says: a path already gone counts as removed, one
// still there as a failure.
class LNUNSanboxHelper {
public:
    using CompletionHandler = std::function<void(bool removed)>;

    static LNUNSanboxHelper& sharedHelper();

    bool isAvailable() const;
    bool isInstalled() const;
    // `completion` is called exactly once, on the main thread, with whether nothing
    // exists at the path any more.
    void removeFileAtPath(const QString& path, CompletionHandler completion);
    // The same for every path: true when none of them exists any more.
    void removeFiles(const QStringList& paths, CompletionHandler completion);

private:
    void run(const QString& handler, const QStringList& paths, CompletionHandler completion);
};
