#include "tests/support/linux_home_apps.h"

#include <elf.h>

#include "platform/fakes/fake_metadata_search.h"
#include "platform/services.h"

namespace linux_home_apps {

namespace {

QString join(const QString& folder, const QString& relative) {
    return folder.isEmpty() ? relative : folder + u'/' + relative;
}

QString firefoxProfiles(const AppHome& at) {
    return at.inRoot(QStringLiteral(".mozilla/firefox"));
}

}  // namespace

AppHome AppHome::native() {
    return {QString(), QStringLiteral(".cache"), QStringLiteral(".config")};
}

AppHome AppHome::flatpak(const QString& id) {
    const QString root = QStringLiteral(".var/app/") + id;
    return {root, root + QStringLiteral("/cache"), root + QStringLiteral("/config")};
}

AppHome AppHome::snap(const QString& name) {
    const QString root = QStringLiteral("snap/%1/common").arg(name);
    return {root, root + QStringLiteral("/.cache"), root + QStringLiteral("/.config")};
}

QString AppHome::inRoot(const QString& relative) const {
    return join(root, relative);
}

QString firefox(FixtureHome& home, const AppHome& at, const QStringList& profiles,
                quint64 cacheSize) {
    QByteArray ini("[General]\nStartWithLastProfile=1\nVersion=2\n\n");
    for (qsizetype i = 0; i < profiles.size(); ++i) {
        ini += QStringLiteral("[Profile%1]\nName=p%1\nIsRelative=1\nPath=%2\n\n")
                   .arg(i)
                   .arg(profiles[i])
                   .toUtf8();
        for (const QString& data : firefoxUserData(at, profiles[i]))
            home.file(data, 7);
        const QString cache = at.cache + QStringLiteral("/mozilla/firefox/") + profiles[i];
        home.file(cache + QStringLiteral("/cache2/entries/0A1B"), cacheSize);
        home.file(cache + QStringLiteral("/startupCache/startupCache.8.little"), cacheSize);
    }
    ini += "[Install4F96D1932A9F858E]\nDefault=" + profiles.value(0).toUtf8() + "\nLocked=1\n";
    home.write(firefoxProfiles(at) + QStringLiteral("/profiles.ini"), ini);
    return home.abs(firefoxProfiles(at));
}

void firefoxRunning(FixtureHome& home, const AppHome& at, const QString& profile) {
    home.symlink(firefoxProfiles(at) + u'/' + profile + QStringLiteral("/lock"),
                 QStringLiteral("127.0.1.1:+4242"));
}

QStringList firefoxUserData(const AppHome& at, const QString& profile) {
    const QString folder = firefoxProfiles(at) + u'/' + profile + u'/';
    return {folder + QStringLiteral("cookies.sqlite"), folder + QStringLiteral("places.sqlite"),
            folder + QStringLiteral("logins.json"),
            folder + QStringLiteral("storage/default/https+++example.org/ls/data.sqlite")};
}

void chromium(FixtureHome& home, const AppHome& at, const QString& folder, const QString& profile,
              quint64 size) {
    for (const QString& data : chromiumUserData(at, folder, profile))
        home.file(data, 7);
    const QString cache = at.cache + u'/' + folder + u'/' + profile;
    home.file(cache + QStringLiteral("/Cache/Cache_Data/data_0"), size);
    home.file(cache + QStringLiteral("/Code Cache/js/index"), size);
    const QString config = at.config + u'/' + folder;
    home.file(config + u'/' + profile + QStringLiteral("/GPUCache/data_1"), size);
    home.file(config + QStringLiteral("/ShaderCache/data_2"), size);
}

QStringList chromiumUserData(const AppHome& at, const QString& folder, const QString& profile) {
    const QString config = at.config + u'/' + folder + u'/' + profile + u'/';
    return {config + QStringLiteral("Cookies"),
            config + QStringLiteral("History"),
            config + QStringLiteral("Login Data"),
            config + QStringLiteral("Sessions/Session_1"),
            config + QStringLiteral("Local Storage/leveldb/000003.log"),
            config + QStringLiteral("Service Worker/CacheStorage/abc/index")};
}

void chromiumRunning(FixtureHome& home, const AppHome& at, const QString& folder) {
    home.symlink(at.config + u'/' + folder + QStringLiteral("/SingletonLock"),
                 QStringLiteral("host-4242"));
}

void thunderbird(FixtureHome& home, const QString& profile, quint64 size) {
    for (const QString& store : mailStores(profile))
        home.file(store, 11);
    home.file(QStringLiteral(".cache/thunderbird/%1/cache2/entries/FF00").arg(profile), size);
}

void thunderbirdRunning(FixtureHome& home, const QString& profile) {
    home.symlink(QStringLiteral(".thunderbird/%1/lock").arg(profile),
                 QStringLiteral("127.0.1.1:+4343"));
}

QStringList mailStores(const QString& profile) {
    const QString folder = QStringLiteral(".thunderbird/%1/").arg(profile);
    return {folder + QStringLiteral("Mail/Local Folders/Inbox"),
            folder + QStringLiteral("ImapMail/imap.example.org/INBOX"),
            folder + QStringLiteral("abook.sqlite")};
}

QString taggedFolder(FixtureHome& home, const QString& relative, bool valid, quint64 size) {
    home.file(relative + QStringLiteral("/objects/blob"), size);
    const QByteArray signature = valid ? QByteArray("Signature: 8a477f597d28d172789f06886806bc55")
                                       : QByteArray("Signature: not a cache directory tag");
    return home.write(relative + QStringLiteral("/CACHEDIR.TAG"),
                      signature +
                          "\n# This file is a cache directory tag.\n"
                          "# For information see https://bford.info/cachedir/\n");
}

void answerTagSearch(const FixtureHome& home, const QStringList& tags) {
    auto& search =
        static_cast<platform::fakes::FakeMetadataSearch&>(*platform::services().metadata);
    search.setPaths(home.path(), {QStringLiteral("kMDItemDisplayName == 'CACHEDIR.TAG'")}, tags);
}

QString elfFile(FixtureHome& home, const QString& relative, quint16 type, bool bigEndian,
                quint64 size) {
    QByteArray header(EI_NIDENT + 2, '\0');
    header.replace(0, SELFMAG, ELFMAG);
    header[EI_CLASS] = ELFCLASS64;
    header[EI_DATA] = bigEndian ? ELFDATA2MSB : ELFDATA2LSB;
    header[EI_VERSION] = EV_CURRENT;
    header[EI_NIDENT] = char(bigEndian ? type >> 8 : type & 0xff);
    header[EI_NIDENT + 1] = char(bigEndian ? type & 0xff : type >> 8);
    if (quint64(header.size()) < size) header.append(QByteArray(size - header.size(), 'x'));
    return home.write(relative, header);
}

}  // namespace linux_home_apps
