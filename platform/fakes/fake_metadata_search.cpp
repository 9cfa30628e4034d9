#include "platform/fakes/fake_metadata_search.h"

#include "platform/file_path.h"

namespace platform::fakes {

SearchAnswer FakeMetadataSearch::find(const QString& folder, const QStringList& queryArguments) {
    std::lock_guard lock(mutex_);
    searches_.append(Search{folder, queryArguments});
    return SearchAnswer{outputs_.value(keyOf(folder, queryArguments)), failure_};
}

std::optional<QVariantMap> FakeMetadataSearch::attributesOfItem(const QString& path) {
    std::lock_guard lock(mutex_);
    const auto it = attributes_.constFind(path);
    if (it == attributes_.constEnd()) return std::nullopt;
    return *it;
}

void FakeMetadataSearch::setOutput(const QString& folder, const QStringList& queryArguments,
                                   const QByteArray& output) {
    std::lock_guard lock(mutex_);
    outputs_.insert(keyOf(folder, queryArguments), output);
}

void FakeMetadataSearch::setPaths(const QString& folder, const QStringList& queryArguments,
                                  const QStringList& paths) {
    QByteArray output;
    for (const QString& path : paths)
        output += encodePath(path) + '\0';
    setOutput(folder, queryArguments, output);
}

void FakeMetadataSearch::setAttributes(const QString& path, const QVariantMap& attributes) {
    std::lock_guard lock(mutex_);
    attributes_.insert(path, attributes);
}

void FakeMetadataSearch::setFailure(const QString& reason) {
    std::lock_guard lock(mutex_);
    failure_ = reason;
}

QList<FakeMetadataSearch::Search> FakeMetadataSearch::searches() const {
    std::lock_guard lock(mutex_);
    return searches_;
}

QString FakeMetadataSearch::keyOf(const QString& folder, const QStringList& queryArguments) {
    return folder + QChar(0) + queryArguments.join(QChar(0));
}

}  // namespace platform::fakes
