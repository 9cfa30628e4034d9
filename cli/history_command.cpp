#include "cli/history_command.h"

#include <QJsonArray>

#include "cli/report.h"
#include "engine/json_writer.h"
#include "engine/removal_log.h"

namespace {

bool wanted(const QJsonObject& entry, const CliOptions& options) {
    if (!options.categories.isEmpty() &&
        !options.categories.contains(entry.value(QStringLiteral("category")).toString())) {
        return false;
    }
    if (!options.since.isValid()) return true;
    const QDateTime time =
        QDateTime::fromString(entry.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    return time.isValid() && time >= options.since;
}

// The log's objects again, through our writer, which keeps escaped bytes of names.
void writeValue(JsonWriter& json, const QJsonValue& value) {
    if (value.isObject()) {
        json.beginObject();
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            json.key(it.key());
            writeValue(json, it.value());
        }
        json.endObject();
    } else if (value.isArray()) {
        json.beginArray();
        for (const QJsonValue& item : value.toArray())
            writeValue(json, item);
        json.endArray();
    } else if (value.isString()) {
        json.value(value.toString());
    } else if (value.isBool()) {
        json.value(value.toBool());
    } else if (value.isDouble()) {
        json.value(qint64(value.toDouble()));
    } else {
        json.null();
    }
}

QByteArray historyText(const QList<QJsonObject>& entries) {
    QByteArray out;
    quint64 freed = 0;
    qsizetype removed = 0;
    qsizetype failed = 0;
    for (const QJsonObject& entry : entries) {
        const QString outcome = entry.value(QStringLiteral("outcome")).toString();
        const quint64 size = quint64(entry.value(QStringLiteral("size")).toDouble());
        if (outcome == u"removed") {
            freed += size;
            ++removed;
        } else if (outcome != u"missing") {
            ++failed;
        }
        out += entry.value(QStringLiteral("time")).toString().toUtf8() + "  " +
               entry.value(QStringLiteral("category")).toString().toUtf8() + "  " +
               outcome.toUtf8() + "  " + report::formatSize(size).toUtf8() + "  " +
               report::terminalText(entry.value(QStringLiteral("path")).toString());
        const QJsonObject error = entry.value(QStringLiteral("error")).toObject();
        if (!error.isEmpty()) {
            out +=
                ": " + report::terminalText(error.value(QStringLiteral("description")).toString());
        }
        out += "\n";
    }
    return out + QByteArray::number(removed) + " removed, " + QByteArray::number(failed) +
           " failed, " + report::formatSize(freed).toUtf8() + " freed\n";
}

}  // namespace

int runHistoryCommand(const CliOptions& options) {
    QList<QJsonObject> entries;
    for (const QJsonObject& entry : QSRemovalLog::readEntries()) {
        if (wanted(entry, options)) entries.append(entry);
    }
    if (!options.json) {
        report::printOut(historyText(entries));
        return 0;
    }
    JsonWriter json;
    json.beginArray();
    for (const QJsonObject& entry : entries)
        writeValue(json, entry);
    json.endArray();
    report::printOut(json.document());
    return 0;
}
