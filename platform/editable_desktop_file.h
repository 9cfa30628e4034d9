#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "platform/desktop_entry.h"
#include "platform/error.h"

namespace platform {

// A desktop entry file edited in place: every line we do not change (comments, other
// groups, translations, keys we do not know) is written back exactly as read. QSettings
// would rewrite the file as INI and lose or mangle them.
class EditableDesktopFile {
public:
    static std::optional<EditableDesktopFile> read(const QString& path);
    // A new file holding only the main group.
    static EditableDesktopFile create();

    DesktopEntry entry() const;
    // Sets a key of the main group to an already escaped value.
    void setValue(const QString& key, const QString& escapedValue);
    void removeKey(const QString& key);
    QByteArray toBytes() const;
    // Writes through a temporary file and a rename, so readers never see half a file;
    // false, with the reason, when the file could not be written.
    bool save(const QString& path, Error* error) const;

private:
    // Index of the line of `key` in the main group, or -1; `end` gets the index just past
    // the group's last line.
    qsizetype findKey(const QString& key, qsizetype* end) const;

    QList<QByteArray> lines_;
};

// Exec-key quoting: the argument as one double-quoted word, with the escapes of both the
// Exec rules and the string rules applied.
QString quotedExecArgument(const QString& argument);
// The first word of an Exec value (already string-unescaped), with its quoting removed.
QString execProgram(const QString& exec);

}  // namespace platform
