#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

namespace platform {

// A freedesktop.org desktop entry file, read with a reader of our own: QSettings treats
// the format as INI and mangles keys, values and escapes.
class DesktopEntry {
public:
    static inline const QString kMainGroup = QStringLiteral("Desktop Entry");

    // Nothing when the file cannot be read or is not a desktop entry.
    static std::optional<DesktopEntry> read(const QString& path);
    static std::optional<DesktopEntry> parse(const QByteArray& text);
    // Whether a desktop would load the text at all: GLib's key-file reader, which most
    // menus and session managers use, refuses a file whose first group is not the main
    // one, or that holds a line that is neither blank, a comment, a group nor key=value.
    // parse() passes over such lines, so that a file we edit keeps working.
    static bool isWellFormed(const QByteArray& text);

    // The value with its escapes (\s, \n, \t, \r, \\) resolved; null when absent.
    QString value(const QString& key, const QString& group = kMainGroup) const;
    bool boolValue(const QString& key, const QString& group = kMainGroup) const;

private:
    QHash<QString, QHash<QString, QString>> groups_;
};

}  // namespace platform
