#pragma once

#include <QColor>
#include <QLabel>

#include "appearance/theme_update.h"

// The kit's text fields show text the program sets (titles, sizes, paths); the user
// never edits them, so they are labels.
class KPThemableTextField : public QLabel, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit KPThemableTextField(QWidget* parent = nullptr);

    QString fontKey() const { return fontKey_; }
    void setFontKey(const QString& key);
    QString textColorKey() const { return textColorKey_; }
    void setTextColorKey(const QString& key);

    QColor textColor() const;
    // None restores the palette's text colour.
    void setTextColor(const QColor& color);

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString fontKey_;
    QString textColorKey_;
    KPThemeObserver themeObserver_;
};

// A table cell's text: white on a selected, emphasised row (background style 1), its
// own colour otherwise.
class KPTableTextField : public QLabel {
    Q_OBJECT
public:
    static constexpr int kEmphasizedBackgroundStyle = 1;

    explicit KPTableTextField(QWidget* parent = nullptr);

    QColor textColor() const;
    // Also remembered as the colour to return to when the row is deselected.
    void setTextColor(const QColor& color);
    QColor originalColor() const { return originalColor_; }
    int backgroundStyle() const { return backgroundStyle_; }
    void setBackgroundStyle(int style);

private:
    void showColor(const QColor& color);

    QColor originalColor_;
    int backgroundStyle_ = 0;
};

class KPThemableTableTextField : public KPTableTextField, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit KPThemableTableTextField(QWidget* parent = nullptr);

    QString fontKey() const { return fontKey_; }
    void setFontKey(const QString& key);
    QString textColorKey() const { return textColorKey_; }
    void setTextColorKey(const QString& key);

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString fontKey_;
    QString textColorKey_;
    KPThemeObserver themeObserver_;
};
