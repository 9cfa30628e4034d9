#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "tests/support/fixture_home.h"

// Builds what developer tools leave in a Linux home, inside a FixtureHome: the tools'
// caches beside the settings and programs they keep next to them, and projects with their
// sources beside their build outputs. Paths are relative to the home.
namespace linux_home_developer {

// Every tool cache the Developer category knows, each holding one file of `size` bytes,
// with the tools' own settings and programs beside them (listed by toolUserData).
void toolCaches(FixtureHome& home, quint64 size);
QStringList toolUserData();

// Go's module cache as `go mod download` leaves it: modules' folders 0555 and files 0444
// below go/pkg/mod, and its download cache (writable) beside them. Returns the module
// cache's folder.
QString readOnlyGoModules(FixtureHome& home);

// Each project builder returns the sources it wrote, which must stay.
// A Rust project: Cargo.toml and src/main.rs, and target/ with a CACHEDIR.TAG (of the
// signature or not) and a build product of `size` bytes.
QStringList cargoProject(FixtureHome& home, const QString& project, bool validTag, quint64 size);
// A CMake project with its build folder `build` (CMakeCache.txt and an object file).
QStringList cmakeProject(FixtureHome& home, const QString& project, const QString& build,
                         quint64 size);
// A Node project: package.json (unless not asked) and node_modules with a package.
QStringList nodeProject(FixtureHome& home, const QString& project, bool packageJson, quint64 size);
// A Python project: pyproject.toml, a package with its __pycache__, and the caches of
// pytest, mypy, ruff and tox.
QStringList pythonProject(FixtureHome& home, const QString& project, quint64 size);
// Runs git with the arguments in the folder; false when it fails or is not installed.
bool git(const QString& folder, const QStringList& arguments);

}  // namespace linux_home_developer
