#pragma once

#include <QStringList>
#include <QUrl>

#include "results/screens/sw_desktop.h"

// What the screens asked of the desktop, recorded instead of reaching the user's desktop.
class RecordingDesktop : public SWDesktop {
public:
    QList<QUrl> opened;
    QStringList notifications;
    QStringList revealed;
    int sounds = 0;
    int attention = 0;
    int beeps = 0;
    void openURL(const QUrl& url) override { opened.append(url); }
    void beep() override { ++beeps; }
    void postNotification(const QString& title, const QString& body) override {
        notifications << title + "|" + body;
    }
    void playSound(const QUrl&) override { ++sounds; }
    void requestAttention(QWidget*) override { ++attention; }
    void revealFile(const QString& path) override { revealed << path; }
};
