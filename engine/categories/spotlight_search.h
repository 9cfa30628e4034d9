#pragma once

#include <optional>

#include "engine/scan_model.h"

// Whether the path lies below the folder, on whole components ("/home/u/Doc" is not below
// "/home/u/Documents"; "/" holds every absolute path), and is written plainly: without "."
// or ".." components or doubled separators.
bool pathIsInsideFolder(const QString& path, const QString& folder);

// What the metadata index listed for one search.
struct SpotlightListing {
    QStringList paths;
    // Why the search failed; a failed search lists nothing, since what it found is not
    // all there is.
    std::optional<QString> failure;
};

// The Spotlight listing: the paths that the metadata index lists for the query arguments
// below `folder`, in the index's order, duplicates and all. An answer that is empty, not
// ended by its NUL or not inside the folder is left out: removing it would remove what
// the user never searched.
SpotlightListing spotlightListing(const QString& folder, const QStringList& queryArguments);

// Base of the categories that find their files through the metadata index instead of a
// walk. actuallyScan() is the Spotlight category scan: the platform gate, the listing,
// then one deselected entry per listed path whose dates can be read; a failed listing
// fails the category.
class QSSpotlightScanItem : public QSScanItem {
public:
    QSScanResultPtr actuallyScan() override;

protected:
    // The category's own listing.
    virtual SpotlightListing spotlightPaths() = 0;
    // The marker stored as the result's path.
    virtual QString pathMarker() const = 0;
    // Whether paths inside the user's Library folder are left out.
    virtual bool skipsLibraryFolder() const { return false; }

    // Whether the desktop offers user notifications; searches are run only where it does.
    static bool platformGateOpen();
    // What a category reports where the gate is shut: empty, disabled and without a path.
    QSScanResultPtr gatedResult() const;
    // Marks a result without entries as the category's failure: disabled, with the reason.
    // Nothing of what the failed search listed is shown: the user would take it for all
    // there is.
    static QSScanResultPtr failedResult(QSScanResultPtr empty, const QString& reason);
    // One entry per listed path, in order; paths whose dates cannot be read are left out.
    QList<QSScannedFilePtr> scannedFilesForSpotlightPaths(const QStringList& paths,
                                                          bool skipLibraryFolder);
    // A single entry as the listing builds it, not selected; null when the dates of the
    // path cannot be read.
    QSScannedFilePtr spotlightFileWithPath(const QString& path) const;
    QSScanResultPtr resultWithDetails(const QList<QSScannedFilePtr>& details) const;
};
