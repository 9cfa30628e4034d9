#include "engine/json_writer.h"

namespace {

void appendEscape(QByteArray& out, char16_t unit) {
    out.append(QStringLiteral("\\u%1").arg(unsigned(unit), 4, 16, QChar(u'0')).toLatin1());
}

}  // namespace

QByteArray JsonWriter::quoted(const QString& text) {
    QByteArray out("\"");
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            out.append(text.mid(i, 2).toUtf8());
            ++i;
        } else if (QChar::isSurrogate(u)) {
            appendEscape(out, u);
        } else if (u == u'"') {
            out.append("\\\"");
        } else if (u == u'\\') {
            out.append("\\\\");
        } else if (u == u'\n') {
            out.append("\\n");
        } else if (u == u'\t') {
            out.append("\\t");
        } else if (u == u'\r') {
            out.append("\\r");
        } else if (u < 0x20) {
            appendEscape(out, u);
        } else {
            out.append(QString(QChar(u)).toUtf8());
        }
    }
    out.append('"');
    return out;
}

void JsonWriter::newline() {
    if (layout_ == Layout::OneLine) return;
    out_.append('\n');
    out_.append(QByteArray(levels_.size() * 2, ' '));
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.isEmpty()) return;
    if (levels_.last().count++ > 0) out_.append(',');
    newline();
}

void JsonWriter::beginObject() {
    beforeValue();
    out_.append('{');
    levels_.append({true, 0});
}

void JsonWriter::endObject() {
    const bool empty = levels_.takeLast().count == 0;
    if (!empty) newline();
    out_.append('}');
}

void JsonWriter::beginArray() {
    beforeValue();
    out_.append('[');
    levels_.append({false, 0});
}

void JsonWriter::endArray() {
    const bool empty = levels_.takeLast().count == 0;
    if (!empty) newline();
    out_.append(']');
}

void JsonWriter::key(const QString& name) {
    beforeValue();
    out_.append(quoted(name));
    out_.append(": ");
    afterKey_ = true;
}

void JsonWriter::value(const QString& text) {
    if (text.isNull()) return null();
    beforeValue();
    out_.append(quoted(text));
}

void JsonWriter::value(bool flag) {
    beforeValue();
    out_.append(flag ? "true" : "false");
}

void JsonWriter::value(quint64 number) {
    beforeValue();
    out_.append(QByteArray::number(number));
}

void JsonWriter::value(qint64 number) {
    beforeValue();
    out_.append(QByteArray::number(number));
}

void JsonWriter::null() {
    beforeValue();
    out_.append("null");
}

void writeError(JsonWriter& json, const std::optional<platform::Error>& error) {
    if (!error) return json.null();
    json.beginObject();
    json.key(QStringLiteral("domain"));
    json.value(error->domainName());
    json.key(QStringLiteral("code"));
    json.value(error->code);
    json.key(QStringLiteral("description"));
    json.value(error->description);
    json.endObject();
}
