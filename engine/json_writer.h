#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <optional>

#include "platform/error.h"

// A small streaming JSON writer. QJsonDocument cannot carry the lone surrogates that
// stand for bytes of names that are not valid UTF-8 (see platform/file_path.h); this
// writer escapes them as "\udcXX", the form Python's surrogateescape reads back, and
// sweepwell-cli --json-path reads.
class JsonWriter {
public:
    enum class Layout { Indented, OneLine };
    explicit JsonWriter(Layout layout = Layout::Indented) : layout_(layout) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(const QString& name);
    void value(const QString& text);  // a null string is written as null
    void value(const char* text) { value(QString::fromUtf8(text)); }
    void value(bool flag);
    void value(quint64 number);
    void value(qint64 number);
    void value(int number) { value(qint64(number)); }
    void null();

    // The document, indented by two spaces or on one line, with a final newline.
    QByteArray document() const { return out_ + '\n'; }
    static QByteArray quoted(const QString& text);

private:
    void beforeValue();
    void newline();

    struct Level {
        bool isObject;
        int count;
    };
    QByteArray out_;
    QVector<Level> levels_;
    bool afterKey_ = false;
    Layout layout_;
};

// An error as the JSON documents show it: its domain, code and description, or null.
void writeError(JsonWriter& json, const std::optional<platform::Error>& error);
