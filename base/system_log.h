#pragma once

#include <QString>
#include <memory>

// The system log, for the debugging lines every layer writes: the kit as well as the
// engine, so it lives below both.
namespace base {

class SystemLog {
public:
    virtual ~SystemLog() = default;
    virtual void log(const QString& line) = 0;
};

// Writes to syslog(3) as the user facility, at debug level.
class SyslogSystemLog : public SystemLog {
public:
    void log(const QString& line) override;
};

// The log in use: the system's log unless something else was installed. Install before
// work starts (tests do); afterwards it is only read.
std::shared_ptr<SystemLog>& systemLog();
// Writes a line to the log in use, if there is one.
void log(const QString& line);

// Swaps in another log for the life of the object, then restores the previous one.
class ScopedSystemLog {
public:
    explicit ScopedSystemLog(std::shared_ptr<SystemLog> replacement);
    ~ScopedSystemLog();
    ScopedSystemLog(const ScopedSystemLog&) = delete;
    ScopedSystemLog& operator=(const ScopedSystemLog&) = delete;

private:
    std::shared_ptr<SystemLog> saved_;
};

}  // namespace base
