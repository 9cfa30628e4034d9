#include "platform/packages.h"

#include <QStringList>
#include <cstring>

namespace platform {
namespace {

// The folder extensions registered as packages by the system the cleaner was designed
// for; the one list of them in the program.
const QStringList& packageExtensions() {
    static const QStringList list = {
        QStringLiteral("app"),          QStringLiteral("bundle"),
        QStringLiteral("framework"),    QStringLiteral("plugin"),
        QStringLiteral("kext"),         QStringLiteral("pkg"),
        QStringLiteral("mpkg"),         QStringLiteral("xcarchive"),
        QStringLiteral("download"),     QStringLiteral("photoslibrary"),
        QStringLiteral("rtfd"),         QStringLiteral("pages"),
        QStringLiteral("numbers"),      QStringLiteral("key"),
        QStringLiteral("savedState"),   QStringLiteral("xcodeproj"),
        QStringLiteral("xcworkspace"),  QStringLiteral("playground"),
        QStringLiteral("appex"),        QStringLiteral("qlgenerator"),
        QStringLiteral("mdimporter"),   QStringLiteral("prefPane"),
        QStringLiteral("saver"),        QStringLiteral("wdgt"),
        QStringLiteral("xpc"),          QStringLiteral("dSYM"),
        QStringLiteral("fcpbundle"),    QStringLiteral("logarchive"),
        QStringLiteral("musiclibrary"), QStringLiteral("tvlibrary"),
        QStringLiteral("sparsebundle"),
    };
    return list;
}

}  // namespace

bool isPackageName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0) return false;
    return packageExtensions().contains(name.mid(dot + 1), Qt::CaseInsensitive);
}

bool isPackageName(const char* name) {
    const char* dot = std::strrchr(name, '.');
    if (!dot || dot == name) return false;
    return isPackageName(QString::fromUtf8(name));
}

}  // namespace platform
