#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The build outputs inside the user's projects. A folder counts only by a marker that a
// build leaves and a person does not: a Cargo "target" with a valid CACHEDIR.TAG, a CMake
// build folder (it holds CMakeCache.txt), "node_modules" beside a package.json, and the
// caches Python's tools name for themselves (__pycache__, .pytest_cache, .mypy_cache,
// .ruff_cache, .tox). A look-alike without its marker is somebody's own folder.
namespace build_outputs {

struct Output {
    QString path;
    // The folder of the project it belongs to: the nearest one above it that holds a git
    // checkout or a project file (Cargo.toml, package.json, CMakeLists.txt, ...), else
    // the folder that holds the output.
    QString project;
};

// Walks the home's visible folders on the home's own mount, never following a link,
// never entering a hidden folder, an output once found, a Python virtual environment or
// the folders given in `skipped` (tool caches listed on their own). Sorted by path.
QList<Output> findOutputs(const QString& home, const QStringList& skipped);

}  // namespace build_outputs
