#include "tests/support/linux_home_developer.h"

#include <QProcess>
#include <QStandardPaths>

namespace linux_home_developer {

namespace {

const QByteArray kCacheTag(
    "Signature: 8a477f597d28d172789f06886806bc55\n# This file is a cache directory tag.\n");

QString in(const QString& project, const char* relative) {
    return project + u'/' + QLatin1String(relative);
}

QStringList written(FixtureHome& home, const QString& project,
                    std::initializer_list<const char*> sources) {
    QStringList paths;
    for (const char* source : sources) {
        paths.append(in(project, source));
        home.write(paths.last(), QByteArray("source of ") + source);
    }
    return paths;
}

}  // namespace

void toolCaches(FixtureHome& home, quint64 size) {
    for (const char* cache :
         {".gradle/caches/modules-2/files-2.1/a.jar", ".m2/repository/org/x/x-1.jar",
          ".npm/_cacache/index-v5/00/a", ".npm/_logs/2024-debug-0.log", ".cache/yarn/v6/a.tgz",
          ".yarn/berry/cache/a.zip", ".local/share/pnpm/store/v3/files/00/a",
          ".cache/pnpm/metadata/a.json", ".cache/pip/http/a", ".cargo/registry/cache/index/a.crate",
          ".cargo/registry/src/index/a-1.0/lib.rs", ".cargo/git/checkouts/a-1/src.rs",
          ".cache/go-build/00/a-d", ".cache/ccache/0/a.o", ".ccache/1/b.o", ".cache/sccache/0/a"}) {
        home.file(QString::fromLatin1(cache), size);
    }
    for (const QString& data : toolUserData())
        home.write(data, "the user's own");
}

QStringList toolUserData() {
    return {".gradle/gradle.properties", ".m2/settings.xml",   ".npm/_npmrc-backup",
            ".cargo/config.toml",        ".cargo/bin/ripgrep", ".cargo/registry/index/config.json",
            "go/src/example/main.go",    ".yarnrc.yml"};
}

QString readOnlyGoModules(FixtureHome& home) {
    home.file(QStringLiteral("go/pkg/mod/cache/download/example.com/m/@v/v1.0.0.zip"), 30);
    for (const char* file : {"go/pkg/mod/example.com/m@v1.0.0/go.mod",
                             "go/pkg/mod/example.com/m@v1.0.0/internal/deep/code.go"}) {
        home.file(QString::fromLatin1(file), 20);
        home.setMode(QString::fromLatin1(file), 0444);
    }
    for (const char* folder :
         {"go/pkg/mod/example.com/m@v1.0.0/internal/deep",
          "go/pkg/mod/example.com/m@v1.0.0/internal", "go/pkg/mod/example.com/m@v1.0.0"}) {
        home.setMode(QString::fromLatin1(folder), 0555);
    }
    return home.abs(QStringLiteral("go/pkg/mod"));
}

QStringList cargoProject(FixtureHome& home, const QString& project, bool validTag, quint64 size) {
    home.write(in(project, "target/CACHEDIR.TAG"),
               validTag ? kCacheTag : QByteArray("Signature: not the one\n"));
    home.file(in(project, "target/debug/app"), size);
    return written(home, project, {"Cargo.toml", "src/main.rs"});
}

QStringList cmakeProject(FixtureHome& home, const QString& project, const QString& build,
                         quint64 size) {
    home.write(project + u'/' + build + QStringLiteral("/CMakeCache.txt"), "CMAKE_BUILD_TYPE=\n");
    home.file(project + u'/' + build + QStringLiteral("/CMakeFiles/app.dir/main.o"), size);
    return written(home, project, {"CMakeLists.txt", "main.cpp"});
}

QStringList nodeProject(FixtureHome& home, const QString& project, bool packageJson, quint64 size) {
    home.file(in(project, "node_modules/left-pad/index.js"), size);
    return packageJson ? written(home, project, {"package.json", "index.js"})
                       : written(home, project, {"index.js"});
}

QStringList pythonProject(FixtureHome& home, const QString& project, quint64 size) {
    for (const char* cache :
         {"app/__pycache__/__init__.cpython-311.pyc", ".pytest_cache/v/cache/lastfailed",
          ".mypy_cache/3.11/app.data.json", ".ruff_cache/0.1/123", ".tox/py311/log/1.log"}) {
        home.file(in(project, cache), size);
    }
    return written(home, project, {"pyproject.toml", "app/__init__.py"});
}

bool git(const QString& folder, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("git"));
    if (program.isEmpty()) return false;
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, QStringList{QStringLiteral("-c"), QStringLiteral("user.name=t"),
                                       QStringLiteral("-c"), QStringLiteral("user.email=t@t")} +
                               arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

}  // namespace linux_home_developer
