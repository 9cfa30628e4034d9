#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>

// GNOME's previewer (sushi, "org.gnome.NautilusPreviewer" on the session bus): shows a
// file in a window of its own. Every call is sent without waiting for the answer.
class SWDesktopPreviewer : public QObject {
    Q_OBJECT
public:
    static constexpr char kService[] = "org.gnome.NautilusPreviewer";
    static constexpr char kPath[] = "/org/gnome/NautilusPreviewer";
    static constexpr char kInterface[] = "org.gnome.NautilusPreviewer2";
    static constexpr int kTimeoutMs = 5000;

    explicit SWDesktopPreviewer(const QDBusConnection& bus, QObject* parent = nullptr);

    // Whether the previewer runs on the bus or the bus can start it.
    bool isAvailable() const;
    // Shows the file, replacing what the previewer shows; failed() when it cannot.
    void showFile(const QString& path);
    void close();
    // Shown as far as we know: asked to show and neither closed nor failed since, nor
    // closed by the user (its Visible property, announced by version 45 and later).
    bool isVisible() const { return visible_; }

signals:
    void failed(const QString& path);
    // An arrow key pressed in the previewer's window: the key, for the list to move.
    void selectionKeyPressed(int key);
    void visibilityChanged(bool visible);

private slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated);
    void selectionEvent(const QDBusMessage& message);

private:
    void setVisible(bool visible);

    QDBusConnection bus_;
    bool visible_ = false;
};
