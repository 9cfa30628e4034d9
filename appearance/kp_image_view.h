#pragma once

#include <QColor>
#include <QIcon>
#include <QWidget>

#include "appearance/theme_update.h"

// An image view that can tint its image: every opaque pixel takes the tint colour.
// The image is fitted into the view, keeping its proportions.
class KPTintableImageView : public QWidget {
    Q_OBJECT
public:
    explicit KPTintableImageView(QWidget* parent = nullptr);

    // The image as shown, tinted when there is a tint colour.
    QIcon image() const { return image_; }
    virtual void setImage(const QIcon& image);
    QColor tintColor() const { return tintColor_; }
    // Re-tints the current image, unless the colour is none.
    void setTintColor(const QColor& color);

    QSize sizeHint() const override { return QSize(20, 20); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showTinted();

    // Kept untinted, so tinting again never stacks one tint on another.
    QIcon source_;
    QIcon image_;
    QColor tintColor_;
};

class KPThemableImageView : public KPTintableImageView, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit KPThemableImageView(QWidget* parent = nullptr);

    QString tintColorKey() const { return tintColorKey_; }
    void setTintColorKey(const QString& key);

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString tintColorKey_;
    KPThemeObserver themeObserver_;
};

// The image of a table row: tinted with the sidebar's image colour, white on a selected
// row (background style 1), where it may also switch to an alternative image.
class KPTableImageView : public KPThemableImageView {
    Q_OBJECT
public:
    static constexpr char kImageColorKey[] = "sidebarTableImageColor";
    static constexpr char kActiveImageColorKey[] = "sidebarTableImageColorActive";
    static constexpr int kEmphasizedBackgroundStyle = 1;

    explicit KPTableImageView(QWidget* parent = nullptr);

    void setImage(const QIcon& image) override;
    QIcon originalImage() const { return originalImage_; }
    QIcon alternativeImage() const { return alternativeImage_; }
    void setAlternativeImage(const QIcon& image);
    int backgroundStyle() const { return backgroundStyle_; }
    void setBackgroundStyle(int style);

    void applyTheme() override;

private:
    void showImageForStyle();

    QIcon originalImage_;
    QIcon alternativeImage_;
    int backgroundStyle_ = 0;
};
