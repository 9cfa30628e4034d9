#include "platform/pkexec_privileged_remover.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "platform/file_path.h"

namespace platform {
namespace {

const QString kPkexec = QStringLiteral("pkexec");
const QString kPolkitService = QStringLiteral("org.freedesktop.PolicyKit1");
// A bus that does not answer this quickly is taken for no bus: the error screen asks
// while the user waits.
constexpr int kBusTimeoutMs = 500;

bool isActivatable(const QDBusConnection& bus, const QString& service) {
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListActivatableNames"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, kBusTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toStringList().contains(service);
}

bool polkitAnswers() {
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return false;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    const QDBusMessage reply =
        bus.call(QDBusMessage(call) << kPolkitService, QDBus::Block, kBusTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
        reply.arguments().constFirst().toBool()) {
        return true;
    }
    return isActivatable(bus, kPolkitService);
}

// Calls `finished` at most once, however many of QProcess's signals report the end.
std::function<void()> once(std::function<void()> finished) {
    auto pending = std::make_shared<std::function<void()>>(std::move(finished));
    return [pending] {
        if (!*pending) return;
        const auto call = std::exchange(*pending, nullptr);
        call();
    };
}

void start(const QString& helperPath, const QString& handler, const QStringList& paths,
           std::function<void()> finished) {
    const QString pkexec = QStandardPaths::findExecutable(kPkexec);
    QStringList arguments{helperPath, handler};
    for (const QString& path : paths) {
        // QProcess hands arguments over as UTF-8: a name that is not valid UTF-8 would
        // arrive as another path, so it is left to the user instead.
        if (!hasEscapedBytes(path)) arguments.append(path);
    }
    if (pkexec.isEmpty() || arguments.size() == 2) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), finished, Qt::QueuedConnection);
        return;
    }
    auto* process = new QProcess;
    process->setProgram(pkexec);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    // The helper's lines about each path go where the application's own output goes.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    const auto end = [process, finished] {
        finished();
        process->deleteLater();
    };
    QObject::connect(process, &QProcess::finished, process, end);
    // A process that never started reports no end of its own.
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [end](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) end();
                     });
    process->start();
}

}  // namespace

PkexecPrivilegedRemover::Locations PkexecPrivilegedRemover::installedLocations() {
    return {QStringLiteral(SWEEPWELL_REMOVAL_HELPER_INSTALLED),
            QStringLiteral(SWEEPWELL_REMOVAL_ACTION_INSTALLED)};
}

bool PkexecPrivilegedRemover::isAvailable() const {
    return !QStandardPaths::findExecutable(kPkexec).isEmpty() && polkitAnswers();
}

bool PkexecPrivilegedRemover::isInstalled() const {
    const QFileInfo helper(locations_.helperPath);
    return helper.isFile() && helper.isExecutable() && QFileInfo(locations_.actionPath).isFile();
}

void PkexecPrivilegedRemover::run(const QString& handler, const QStringList& paths,
                                  std::function<void()> finished) {
    // QProcess reports to the thread it lives on, and only the main thread runs an event
    // loop for certain.
    QCoreApplication* app = QCoreApplication::instance();
    auto call = [helperPath = locations_.helperPath, handler, paths,
                 finished = once(std::move(finished))] {
        start(helperPath, handler, paths, finished);
    };
    if (QThread::currentThread() == app->thread()) {
        call();
    } else {
        QMetaObject::invokeMethod(app, call, Qt::QueuedConnection);
    }
}

}  // namespace platform
