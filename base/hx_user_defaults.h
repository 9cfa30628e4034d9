#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <memory>

// Base of the typed settings objects: each setting is one key of the user's settings
// file, read and written by a pair of accessors that a subclass declares explicitly
// (C++ has no run-time property list to generate them from). Defaults registered by the
// subclass answer while nothing is stored and are never written.
class HXUserDefaults : public QObject {
    Q_OBJECT
public:
    ~HXUserDefaults() override;

    // The store every accessor reads and writes, chosen on first use: the suite's own
    // file when the subclass names a suite, else the application's settings file.
    QSettings& userDefaults() const;
    // Put in front of every key with a "." between; empty unless a suite is used.
    QString prefix() const;

    // The key of a setting: "<prefix>.<name>" with a suite, else the name.
    virtual QString transformKey(const QString& name) const;
    QString defaultsKeyForPropertyNamed(const char* name) const;

signals:
    // After every write made through the settings object, with the key written.
    void valueChanged(const QString& key);

protected:
    HXUserDefaults() = default;

    // The one instance of a settings class (creation is serialised by the language).
    template <class T>
    static T& sharedInstance() {
        static T instance;
        return instance;
    }

    // Setting name -> default value, registered in memory when the store is chosen.
    virtual QVariantMap setupDefaults() const { return {}; }
    // A suite of its own for the subclass; empty for the application's settings.
    virtual QString suiteName() const { return {}; }

    // Accessor bodies, by the type of the setting. An absent object reads as a null
    // QVariant, and writing a null QVariant removes the key.
    QVariant objectValue(const char* name) const;
    void setObjectValue(const char* name, const QVariant& value);
    bool boolValue(const char* name) const;
    void setBoolValue(const char* name, bool value);
    // 0 when absent.
    qint64 integerValue(const char* name) const;
    void setIntegerValue(const char* name, qint64 value);

private:
    QVariant storedOrRegistered(const QString& key) const;
    void write(const QString& key, const QVariant& value);

    mutable std::unique_ptr<QSettings> store_;
    mutable QString prefix_;
    mutable QVariantMap registeredDefaults_;
};
