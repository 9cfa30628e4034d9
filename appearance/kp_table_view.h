#pragma once

#include <QColor>
#include <QScrollArea>
#include <QTableView>

#include "appearance/theme_update.h"

// A scroll view whose background is a theme key.
class KPThemableScrollView : public QScrollArea, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit KPThemableScrollView(QWidget* parent = nullptr);

    QString backgroundColorKey() const { return backgroundColorKey_; }
    void setBackgroundColorKey(const QString& key);

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString backgroundColorKey_;
    KPThemeObserver themeObserver_;
};

// A table whose background and grid colours are theme keys. With a grid key, the table
// reloads its rows after every theme change, so cells drawn from theme keys follow.
class KPThemableTableView : public QTableView, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit KPThemableTableView(QWidget* parent = nullptr);

    QString backgroundColorKey() const { return backgroundColorKey_; }
    void setBackgroundColorKey(const QString& key);
    QString gridColorKey() const { return gridColorKey_; }
    void setGridColorKey(const QString& key);

    QColor gridColor() const { return gridColor_; }
    // None goes back to the style's grid colour.
    void setGridColor(const QColor& color);

    // Lays the rows out and draws them again, keeping the selection.
    virtual void reloadData();

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString backgroundColorKey_;
    QString gridColorKey_;
    QColor gridColor_;
    KPThemeObserver themeObserver_;
};

// A row of a table or list drawn by the program: its background, its selection and a
// one-pixel separator at the bottom, each a theme key. Subclasses set constant keys.
class KPThemableTableRowView : public QWidget, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit KPThemableTableRowView(QWidget* parent = nullptr);

    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

    QString backgroundColorKey() const { return backgroundColorKey_; }
    void setBackgroundColorKey(const QString& key);
    QString selectedBackgroundColorKey() const { return selectedBackgroundColorKey_; }
    void setSelectedBackgroundColorKey(const QString& key);
    QString separatorColorKey() const { return separatorColorKey_; }
    void setSeparatorColorKey(const QString& key);

    QColor internalBackgroundColor() const { return internalBackgroundColor_; }
    QColor selectedBackgroundColor() const { return selectedBackgroundColor_; }
    QColor separatorFillColor() const { return separatorFillColor_; }

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool selected_ = false;
    QString backgroundColorKey_;
    QString selectedBackgroundColorKey_;
    QString separatorColorKey_;
    QColor internalBackgroundColor_;
    QColor selectedBackgroundColor_;
    QColor separatorFillColor_;
    KPThemeObserver themeObserver_;
};
