#include "tools/removal-helper/caller.h"

#include <pwd.h>
#include <unistd.h>
#include <cerrno>
#include <vector>

#include "tools/removal-helper/path_rules.h"

namespace {

std::optional<uid_t> parseUid(const char* value) {
    if (!value || !*value) return std::nullopt;
    unsigned long long uid = 0;
    for (const char* c = value; *c; ++c) {
        if (*c < '0' || *c > '9' || c - value >= 10) return std::nullopt;
        uid = uid * 10 + unsigned(*c - '0');
    }
    // (uid_t)-1 means "no user" to the system calls that take one.
    if (uid >= 0xffffffffULL) return std::nullopt;
    return uid_t(uid);
}

std::optional<Caller> lookUp(uid_t uid) {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 4096);
    struct passwd entry;
    struct passwd* found = nullptr;
    int err;
    while ((err = getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (err != 0 || !found || !found->pw_dir) return std::nullopt;
    QByteArray home(found->pw_dir);
    while (home.size() > 1 && home.endsWith('/'))
        home.chop(1);
    return Caller{found->pw_uid, found->pw_gid, home};
}

}  // namespace

std::optional<Caller> callerFromPkexecUid(const char* value, QByteArray* why) {
    const auto uid = parseUid(value);
    if (!uid) {
        *why = value ? "PKEXEC_UID is not a user id" : "PKEXEC_UID is not set";
        return std::nullopt;
    }
    auto caller = lookUp(*uid);
    if (!caller) {
        *why = "the user of PKEXEC_UID is unknown";
        return std::nullopt;
    }
    // A home of "/" would make the whole system the caller's.
    if (caller->home == "/" || !isNormalisedAbsolutePath(caller->home)) {
        *why = "the caller's home folder is not a usable absolute path";
        return std::nullopt;
    }
    return caller;
}
