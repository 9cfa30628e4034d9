// sweepwell-mdsearch: the desktop search tool the cleaner runs where "/usr/bin/mdfind" is
// missing. Same arguments and output as "mdfind -onlyin FOLDER QUERY...", answered from
// an index of the folder kept in the user's cache folder; see README.md.
#include <time.h>
#include <unistd.h>
#include <QByteArray>
#include <QJsonDocument>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/file_path.h"
#include "tools/mdsearch/index_store.h"
#include "tools/mdsearch/path_attributes.h"
#include "tools/mdsearch/search.h"

namespace {

constexpr const char* kUsage =
    "usage: sweepwell-mdsearch [-0] [-cache DIR] [-window SECONDS] [-debug] -onlyin DIR... "
    "QUERY...\n"
    "       sweepwell-mdsearch -attributes PATH\n";

using mdsearch::IndexStore;

struct Options {
    std::vector<std::string> folders;
    std::vector<std::string> query;
    std::string attributesPath;
    IndexStore::Options store;
    bool nulSeparated = false;
    bool debug = false;
};

// An absolute, standardised form of a path argument, kept as bytes.
std::string absolutePath(const char* argument) {
    QString path = platform::decodePath(QByteArray(argument));
    if (!path.startsWith(u'/')) {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) {
            path = platform::appendPathComponent(platform::decodePath(QByteArray(cwd)), path);
        }
    }
    return platform::encodePath(platform::standardizePath(path)).toStdString();
}

bool parseWindow(const char* text, int64_t* nanoseconds) {
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (end == text || *end != 0 || !(seconds >= 0) || seconds > 1e9) return false;
    *nanoseconds = int64_t(seconds * 1e9);
    return true;
}

bool parseOptions(int argc, char** argv, Options* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-onlyin" && hasValue) {
            options->folders.push_back(absolutePath(argv[++i]));
        } else if (arg == "-attributes" && hasValue) {
            options->attributesPath = absolutePath(argv[++i]);
        } else if (arg == "-cache" && hasValue) {
            options->store.cacheFolder = absolutePath(argv[++i]);
        } else if (arg == "-window" && hasValue) {
            if (!parseWindow(argv[++i], &options->store.windowNanoseconds)) {
                *error = "-window needs a number of seconds";
                return false;
            }
        } else if (arg == "-0") {
            options->nulSeparated = true;
        } else if (arg == "-debug") {
            options->debug = true;
        } else if (arg.starts_with("-") && options->query.empty() && arg.size() > 1 &&
                   !std::isdigit(static_cast<unsigned char>(arg[1]))) {
            *error = "unknown option " + std::string(arg);
            return false;
        } else {
            options->query.emplace_back(arg);
        }
    }
    if (!options->attributesPath.empty()) return true;
    if (options->folders.empty()) *error = "-onlyin FOLDER is required";
    if (options->query.empty()) *error = "a query is required";
    return error->empty();
}

int64_t now() {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// Writes the answer; exit status 1 when not all of it could be written, since a reader
// must never take a part for the whole.
int printAnswer(const std::string& data) {
    const bool written = std::fwrite(data.data(), 1, data.size(), stdout) == data.size();
    if (std::fflush(stdout) == 0 && written) return 0;
    std::fprintf(stderr, "sweepwell-mdsearch: cannot write the answer: %s\n", std::strerror(errno));
    return 1;
}

int printAttributes(const std::string& path) {
    const auto attributes = mdsearch::attributesOfPath(path);
    if (!attributes) {
        std::fprintf(stderr, "sweepwell-mdsearch: nothing at %s\n", path.c_str());
        return 1;
    }
    return printAnswer(QJsonDocument(*attributes).toJson(QJsonDocument::Compact).toStdString() +
                       "\n");
}

void reportIndex(const std::string& folder, const IndexStore::Answer& answer, int64_t start) {
    const double age = double(start - answer.view().refreshedAt()) / 1e9;
    if (!answer.refreshed) {
        std::fprintf(stderr, "sweepwell-mdsearch: %s: answered from the index (%.1f s old)\n",
                     folder.c_str(), age < 0 ? 0.0 : age);
        return;
    }
    const auto& s = answer.stats;
    std::fprintf(stderr,
                 "sweepwell-mdsearch: %s: refreshed (folders read %llu, reused %llu; entries "
                 "%llu; content reads %llu; %s)\n",
                 folder.c_str(), (unsigned long long)s.foldersRead,
                 (unsigned long long)s.foldersReused, (unsigned long long)s.entriesChecked,
                 (unsigned long long)s.contentReads, answer.saved ? "saved" : "not saved");
}

int search(const Options& options) {
    const int64_t start = now();
    std::string error;
    const auto query = mdsearch::CompiledQuery::fromText(
        mdsearch::joinQueryArguments(options.query), start, &error);
    if (!query) {
        std::fprintf(stderr, "sweepwell-mdsearch: malformed query: %s\n", error.c_str());
        return 1;
    }
    IndexStore store(options.store);
    std::string out;
    for (const std::string& folder : options.folders) {
        const auto answer = store.indexFor(folder, start);
        if (!answer) {
            std::fprintf(stderr, "sweepwell-mdsearch: cannot search %s\n", folder.c_str());
            continue;
        }
        if (options.debug) reportIndex(folder, *answer, start);
        mdsearch::searchIndex(answer->view(), *query, options.nulSeparated, &out);
    }
    return printAnswer(out);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "sweepwell-mdsearch: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (!options.attributesPath.empty()) return printAttributes(options.attributesPath);
    return search(options);
}
