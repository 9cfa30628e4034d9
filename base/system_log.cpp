#include "base/system_log.h"

#include <syslog.h>

namespace base {

void SyslogSystemLog::log(const QString& line) {
    syslog(LOG_USER | LOG_DEBUG, "%s", line.toUtf8().constData());
}

std::shared_ptr<SystemLog>& systemLog() {
    static std::shared_ptr<SystemLog> current = std::make_shared<SyslogSystemLog>();
    return current;
}

void log(const QString& line) {
    if (const auto& current = systemLog()) current->log(line);
}

ScopedSystemLog::ScopedSystemLog(std::shared_ptr<SystemLog> replacement)
    : saved_(std::exchange(systemLog(), std::move(replacement))) {}

ScopedSystemLog::~ScopedSystemLog() {
    systemLog() = std::move(saved_);
}

}  // namespace base
