#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

// Whether a folder may be offered for removal although it lies in a git checkout: only
// when the checkout tracks nothing inside it (a build output the checkout ignores, or a
// cache nobody committed). The answer comes from the checkout's index, read once per
// checkout, instead of running git for every folder.
class QSGitCheckouts {
public:
    // Checkouts are looked for from a folder up to `top` (the home), never above it.
    explicit QSGitCheckouts(const QString& top);

    // True outside every checkout, and inside one whose index lists no path at or below the
    // folder; false when the index of its checkout cannot be read.
    bool tracksNothingIn(const QString& folder);

    // The paths an index file lists, sorted, as git wrote them (relative, '/'-separated);
    // nothing when it is not an index of a version this reads (2, 3 or 4). `hashSize` is
    // 20 for SHA-1 repositories and 32 for SHA-256 ones.
    static std::optional<std::vector<QByteArray>> indexPaths(const QByteArray& index, int hashSize);

private:
    // The nearest folder at or above `folder` that holds a ".git", up to the top; null
    // when there is none.
    QString enclosingCheckout(const QString& folder);
    const std::optional<std::vector<QByteArray>>& trackedPaths(const QString& checkout);

    QString top_;
    QHash<QString, bool> holdsGit_;
    QHash<QString, std::optional<std::vector<QByteArray>>> tracked_;
};
