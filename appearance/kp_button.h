#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>

#include "appearance/theme_update.h"

// An image button that knows when the pointer is over it, and shows a pointing hand
// there. It shows its alternate image while pressed or on.
class KPButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit KPButton(QWidget* parent = nullptr);

    bool hovered() const { return hovered_; }

    QIcon image() const { return image_; }
    virtual void setImage(const QIcon& image);
    QIcon alternateImage() const { return alternateImage_; }
    virtual void setAlternateImage(const QIcon& image);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hovered_ = false;
    QIcon image_;
    QIcon alternateImage_;
};

// An image button whose images are tinted with one colour.
class KPTintableImageButton : public KPButton {
    Q_OBJECT
public:
    explicit KPTintableImageButton(QWidget* parent = nullptr);

    void setImage(const QIcon& image) override;
    QColor tintColor() const { return tintColor_; }
    // Re-tints the current image, unless the colour is none.
    void setTintColor(const QColor& color);

private:
    void showTinted();

    QIcon source_;
    QColor tintColor_;
};

class KPThemableImageButton : public KPTintableImageButton, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit KPThemableImageButton(QWidget* parent = nullptr);

    QString tintColorKey() const { return tintColorKey_; }
    void setTintColorKey(const QString& key);

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString tintColorKey_;
    KPThemeObserver themeObserver_;
};

// A button whose images are theme keys. Without an alternate key, the image serves as
// the alternate image too.
class KPThemableButton : public KPButton, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit KPThemableButton(QWidget* parent = nullptr);

    QString imageKey() const { return imageKey_; }
    void setImageKey(const QString& key);
    QString alternateImageKey() const { return alternateImageKey_; }
    void setAlternateImageKey(const QString& key);

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString imageKey_;
    QString alternateImageKey_;
    KPThemeObserver themeObserver_;
};
