#pragma once

#include <QStringList>
#include <memory>
#include <mutex>

#include "base/system_log.h"

// Keeps every line, from any thread.
class RecordingSystemLog : public base::SystemLog {
public:
    void log(const QString& line) override {
        std::lock_guard lock(mutex_);
        lines_.append(line);
    }
    QStringList lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

private:
    mutable std::mutex mutex_;
    QStringList lines_;
};

// Records what is logged while the object lives, in place of the system's log.
class RecordedLog {
public:
    RecordedLog() : recorder_(std::make_shared<RecordingSystemLog>()), scoped_(recorder_) {}
    RecordingSystemLog& recorder() { return *recorder_; }
    QStringList lines() const { return recorder_->lines(); }
    void clear() { recorder_->clear(); }

private:
    std::shared_ptr<RecordingSystemLog> recorder_;
    base::ScopedSystemLog scoped_;
};
