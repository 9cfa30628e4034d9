#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <optional>

// The user on whose behalf the helper runs. pkexec names them in PKEXEC_UID; everything
// else about them comes from the password database, never from the environment, which
// the caller controls.
struct Caller {
    uid_t uid = 0;
    gid_t gid = 0;
    QByteArray home;
};

// Nothing when the value is not a plain decimal user id or the user has no usable home
// folder; `why` then says what was wrong.
std::optional<Caller> callerFromPkexecUid(const char* value, QByteArray* why);
