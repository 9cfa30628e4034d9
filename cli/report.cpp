#include "cli/report.h"

#include <cstdio>

#include "engine/categories/login_item_file.h"
#include "engine/categories/trash_item.h"
#include "engine/scan_totals.h"
#include "platform/file_path.h"
#include "results/memory_formatter.h"

namespace report {
namespace {

QString isoDate(const QDateTime& date) {
    return date.isValid() ? date.toUTC().toString(Qt::ISODate) : QString();
}

QByteArray padded(const QByteArray& text, int width) {
    const int visible = int(QString::fromUtf8(text).size());
    return text + QByteArray(std::max(1, width - visible), ' ');
}

QByteArray rightAligned(const QByteArray& text, int width) {
    return QByteArray(std::max(0, width - int(text.size())), ' ') + text;
}

void writeRecord(JsonWriter& json, const QSRemovedFilePtr& record) {
    json.beginObject();
    json.key(QStringLiteral("path"));
    json.value(record->file() ? record->file()->path() : QString());
    json.key(QStringLiteral("success"));
    json.value(record->success());
    json.key(QStringLiteral("error"));
    writeError(json, record->error());
    json.endObject();
}

void writeRecords(JsonWriter& json, const QString& key, const QList<QSRemovedFilePtr>& records) {
    json.key(key);
    json.beginArray();
    for (const auto& record : records)
        writeRecord(json, record);
    json.endArray();
}

QString entryLabel(const QSScannedFilePtr& file) {
    return file->path().isNull() ? file->fileName() : file->path();
}

}  // namespace

void printOut(const QByteArray& text) {
    fwrite(text.constData(), 1, size_t(text.size()), stdout);
    fflush(stdout);
}

void printErr(const QByteArray& text) {
    fwrite(text.constData(), 1, size_t(text.size()), stderr);
    fflush(stderr);
}

QByteArray terminalText(const QString& text) {
    QByteArray out;
    const auto hex = [&](uint value, int digits) {
        out += QByteArray::number(value, 16).rightJustified(digits, '0');
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        switch (unit) {
            case u'\\':
                out += "\\\\";
                continue;
            case u'\n':
                out += "\\n";
                continue;
            case u'\r':
                out += "\\r";
                continue;
            case u'\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        if (unit >= 0xDC80 && unit <= 0xDCFF) {
            out += "\\x";  // a byte that is not UTF-8: raw, a terminal might obey it
            hex(unit - 0xDC00, 2);
        } else if (unit < 0x20 || (unit >= 0x7F && unit <= 0x9F)) {
            out += "\\x";
            hex(unit, 2);
        } else if ((unit >= 0x202A && unit <= 0x202E) || (unit >= 0x2066 && unit <= 0x2069)) {
            out += "\\u";  // reordering marks would make a name read as another
            hex(unit, 4);
        } else {
            out += text.mid(i, QChar::isHighSurrogate(unit) ? 2 : 1).toUtf8();
            if (QChar::isHighSurrogate(unit)) ++i;
        }
    }
    return out;
}

quint64 sizeOfFiles(const QSScanResultPtr& result) {
    quint64 total = 0;
    for (const auto& file : result->detailArray())
        total += file->fileSize();
    return total;
}

QString formatSize(quint64 bytes) {
    return KPMemoryFormatter().stringFromBytes(double(bytes));
}

QByteArray categoryLine(const QSScanResultPtr& result) {
    // A failed search found out nothing: a size of 0 would tell the user there is nothing
    // to clean.
    if (!result->failureReason().isNull()) {
        return result->title().toUtf8() +
               ": the search failed: " + terminalText(result->failureReason()) + "\n";
    }
    const auto count = result->detailArray().size();
    return QStringLiteral("%1: %2 in %3 %4\n")
        .arg(result->title(), formatSize(sizeOfFiles(result)))
        .arg(count)
        .arg(count == 1 ? QStringLiteral("file") : QStringLiteral("files"))
        .toUtf8();
}

QByteArray scanTable(const QList<QSScanResultPtr>& results) {
    constexpr int kTitleWidth = 26;
    constexpr int kSizeWidth = 12;
    constexpr int kFilesWidth = 8;
    QByteArray out = "\n" + padded("Category", kTitleWidth) + rightAligned("Size", kSizeWidth) +
                     rightAligned("Files", kFilesWidth) + "\n";
    for (const auto& result : results) {
        const quint64 size = sizeOfFiles(result);
        const QByteArray columns =
            result->failureReason().isNull()
                ? rightAligned(formatSize(size).toUtf8(), kSizeWidth) +
                      rightAligned(QByteArray::number(result->detailArray().size()), kFilesWidth)
                : rightAligned("failed", kSizeWidth) + rightAligned("-", kFilesWidth);
        out += padded(result->title().toUtf8(), kTitleWidth) + columns + "\n";
    }
    const QSScanTotals total = QSScanTotals::ofResults(results);
    out += padded("Total", kTitleWidth) +
           rightAligned(formatSize(total.size).toUtf8(), kSizeWidth) +
           rightAligned(QByteArray::number(total.files), kFilesWidth) + "\n";
    return out;
}

void writeFile(JsonWriter& json, const QSScannedFilePtr& file) {
    json.beginObject();
    json.key(QStringLiteral("path"));
    json.value(file->path());
    json.key(QStringLiteral("fileName"));
    json.value(file->fileName());
    json.key(QStringLiteral("fileSize"));
    json.value(file->fileSize());
    json.key(QStringLiteral("selected"));
    json.value(file->selected());
    json.key(QStringLiteral("hasSelectedOverride"));
    json.value(file->hasSelectedOverride());
    json.key(QStringLiteral("isGroup"));
    json.value(file->isGroup());
    json.key(QStringLiteral("icon"));
    json.value(file->icon().isEmpty() ? QString() : file->icon());
    json.key(QStringLiteral("modificationDate"));
    json.value(isoDate(file->modificationDate()));
    json.key(QStringLiteral("lastUsedDate"));
    json.value(isoDate(file->lastUsedDate()));
    if (const auto* item = dynamic_cast<const QSLoginItemFile*>(file.get())) {
        json.key(QStringLiteral("bundleID"));
        json.value(item->bundleID());
        json.key(QStringLiteral("helperBundleID"));
        json.value(item->helperBundleID());
        json.key(QStringLiteral("helperPath"));
        json.value(item->helperPath());
    }
    if (const auto* trashed = dynamic_cast<const QSTrashedFile*>(file.get())) {
        json.key(QStringLiteral("originalPath"));
        json.value(trashed->originalPath());
        json.key(QStringLiteral("deletionDate"));
        json.value(isoDate(trashed->deletionDate()));
    }
    if (file->isGroup()) {
        json.key(QStringLiteral("files"));
        json.beginArray();
        for (const auto& member : file->files())
            writeFile(json, member);
        json.endArray();
    }
    json.endObject();
}

QByteArray scanJson(const QString& home, const QString& volume,
                    const QList<QSScanResultPtr>& results) {
    JsonWriter json;
    json.beginObject();
    json.key(QStringLiteral("home"));
    json.value(home);
    json.key(QStringLiteral("volume"));
    json.value(volume);
    json.key(QStringLiteral("categories"));
    json.beginArray();
    for (const auto& result : results) {
        json.beginObject();
        json.key(QStringLiteral("key"));
        json.value(result->key());
        json.key(QStringLiteral("title"));
        json.value(result->title());
        json.key(QStringLiteral("path"));
        json.value(result->path());
        json.key(QStringLiteral("disabled"));
        json.value(result->disabled());
        json.key(QStringLiteral("failure"));
        json.value(result->failureReason());
        json.key(QStringLiteral("totalSize"));
        json.value(result->totalSize());
        json.key(QStringLiteral("files"));
        json.beginArray();
        for (const auto& file : result->detailArray())
            writeFile(json, file);
        json.endArray();
        json.endObject();
    }
    json.endArray();
    const QSScanTotals total = QSScanTotals::ofResults(results);
    json.key(QStringLiteral("total"));
    json.beginObject();
    json.key(QStringLiteral("size"));
    json.value(total.size);
    json.key(QStringLiteral("files"));
    json.value(qint64(total.files));
    json.endObject();
    json.endObject();
    return json.document();
}

QByteArray removalPlan(const QSRemovalPlan& plan) {
    QByteArray out;
    for (const auto& part : plan.parts()) {
        for (const auto& file : part.files) {
            out += part.result->title().toUtf8() + ": " + terminalText(entryLabel(file)) + " (" +
                   formatSize(file->fileSize()).toUtf8() + ")\n";
        }
    }
    return out;
}

quint64 sizeOfPlan(const QSRemovalPlan& plan) {
    quint64 size = 0;
    for (const auto& part : plan.parts()) {
        for (const auto& file : part.files)
            size += file->fileSize();
    }
    return size;
}

QByteArray dryRunText(const QSRemovalPlan& plan) {
    return removalPlan(plan) + "Would remove " + QByteArray::number(plan.fileCount()) +
           (plan.fileCount() == 1 ? " entry, freeing " : " entries, freeing ") +
           formatSize(sizeOfPlan(plan)).toUtf8() + "; nothing was removed.\n";
}

QByteArray dryRunJson(const QSRemovalPlan& plan) {
    JsonWriter json;
    json.beginObject();
    json.key(QStringLiteral("dryRun"));
    json.value(true);
    json.key(QStringLiteral("entries"));
    json.beginArray();
    for (const auto& part : plan.parts()) {
        for (const auto& file : part.files) {
            json.beginObject();
            json.key(QStringLiteral("category"));
            json.value(part.result->key());
            json.key(QStringLiteral("path"));
            json.value(file->path());
            json.key(QStringLiteral("size"));
            json.value(file->fileSize());
            json.endObject();
        }
    }
    json.endArray();
    json.key(QStringLiteral("size"));
    json.value(sizeOfPlan(plan));
    json.endObject();
    return json.document();
}

bool hasFailures(const QList<QSRemovedItemPtr>& removed) {
    for (const auto& item : removed) {
        if (!item->failedFiles().isEmpty()) return true;
    }
    return false;
}

QByteArray removalText(const QList<QSRemovedItemPtr>& removed) {
    QByteArray out;
    quint64 freed = 0;
    for (const auto& item : removed) {
        freed += item->size();
        const auto records = item->files().value_or(QList<QSRemovedFilePtr>());
        qsizetype succeeded = 0;
        for (const auto& record : records)
            succeeded += record->success() ? 1 : 0;
        out += item->title().toUtf8() + ": removed " + QByteArray::number(succeeded) + " of " +
               QByteArray::number(records.size()) + " entries, " +
               formatSize(item->size()).toUtf8() + "\n";
        for (const auto& failure : item->failedFiles()) {
            out += "  could not remove " + terminalText(failure->file()->path()) + ": " +
                   terminalText(failure->error() ? failure->error()->description : QString()) +
                   "\n";
        }
    }
    out += "Freed " + formatSize(freed).toUtf8() + " (" + QByteArray::number(freed) + " bytes)\n";
    return out;
}

QByteArray removalJson(const QList<QSRemovedItemPtr>& removed) {
    JsonWriter json;
    json.beginObject();
    json.key(QStringLiteral("removed"));
    json.beginArray();
    for (const auto& item : removed) {
        json.beginObject();
        json.key(QStringLiteral("title"));
        json.value(item->title());
        json.key(QStringLiteral("size"));
        json.value(item->size());
        writeRecords(json, QStringLiteral("files"),
                     item->files().value_or(QList<QSRemovedFilePtr>()));
        writeRecords(json, QStringLiteral("failedFiles"), item->failedFiles());
        json.endObject();
    }
    json.endArray();
    json.endObject();
    return json.document();
}

}  // namespace report
