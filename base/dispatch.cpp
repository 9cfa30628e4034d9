#include "base/dispatch.h"

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

namespace dispatch {
namespace {

QThreadPool& queuePool() {
    // Enough threads that every category of a scan and every result of a deletion runs
    // at once, whatever the number of cores.
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(96);
        p->setExpiryTimeout(30000);
        return p;
    }();
    return *pool;
}

}  // namespace

std::shared_ptr<SerialQueue> SerialQueue::create(QString label) {
    return std::shared_ptr<SerialQueue>(new SerialQueue(std::move(label)));
}

void SerialQueue::async(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    if (running_) return;
    running_ = true;
    queuePool().start([self = shared_from_this()] { self->drain(); });
}

void SerialQueue::drain() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) {
                running_ = false;
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

void Group::enter() {
    std::lock_guard lock(mutex_);
    ++count_;
}

void Group::leave() {
    std::function<void()> callback;
    {
        std::lock_guard lock(mutex_);
        if (--count_ == 0) callback = std::exchange(callback_, nullptr);
    }
    if (callback) callback();
}

void Group::notify(std::function<void()> callback) {
    {
        std::lock_guard lock(mutex_);
        if (count_ > 0) {
            callback_ = std::move(callback);
            return;
        }
    }
    callback();
}

void dispatchMain(std::function<void()> task) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
}

void dispatchAfter(double seconds, std::function<void()> task) {
    dispatchMain([seconds, task = std::move(task)]() mutable {
        QTimer::singleShot(int(seconds * 1000), QCoreApplication::instance(), std::move(task));
    });
}

bool isMainThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

QString queueLabel(const QString& suffix) {
    return QStringLiteral("org.sweepwell.") + suffix;
}

}  // namespace dispatch
