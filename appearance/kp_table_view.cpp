#include "appearance/kp_table_view.h"

#include <QPaintEvent>
#include <QPainter>

#include "appearance/kp_drawing.h"
#include "appearance/kp_theme_manager.h"

KPThemableScrollView::KPThemableScrollView(QWidget* parent) : QScrollArea(parent) {
    themeObserver_.configure(*this);
}

void KPThemableScrollView::setBackgroundColorKey(const QString& key) {
    changeThemeKey(backgroundColorKey_, key);
}

void KPThemableScrollView::applyTheme() {
    if (backgroundColorKey_.isEmpty()) return;
    const QColor color = KPThemeManager::sharedManager().colorForKey(backgroundColorKey_);
    viewport()->setAutoFillBackground(color.isValid());
    kp_setPaletteColor(*viewport(), QPalette::Window, color);
}

KPThemableTableView::KPThemableTableView(QWidget* parent) : QTableView(parent) {
    themeObserver_.configure(*this);
}

void KPThemableTableView::setBackgroundColorKey(const QString& key) {
    changeThemeKey(backgroundColorKey_, key);
}

void KPThemableTableView::setGridColorKey(const QString& key) {
    changeThemeKey(gridColorKey_, key);
}

// The table draws its grid in the palette's mid colour.
void KPThemableTableView::setGridColor(const QColor& color) {
    gridColor_ = color;
    // Styles take the grid colour from different palette roles (Fusion derives it from
    // the window colour); a style sheet sets it for every style.
    if (!color.isValid()) return setStyleSheet(QString());
    setStyleSheet(QStringLiteral("QTableView { gridline-color: rgba(%1, %2, %3, %4); }")
                      .arg(color.red())
                      .arg(color.green())
                      .arg(color.blue())
                      .arg(color.alpha()));
}

void KPThemableTableView::reloadData() {
    doItemsLayout();
    viewport()->update();
}

void KPThemableTableView::applyTheme() {
    KPThemeManager& themes = KPThemeManager::sharedManager();
    if (!backgroundColorKey_.isEmpty()) {
        kp_setPaletteColor(*this, QPalette::Base, themes.colorForKey(backgroundColorKey_));
    }
    if (!gridColorKey_.isEmpty()) {
        setGridColor(themes.colorForKey(gridColorKey_));
        reloadData();
    }
}

KPThemableTableRowView::KPThemableTableRowView(QWidget* parent) : QWidget(parent) {
    themeObserver_.configure(*this);
}

void KPThemableTableRowView::setSelected(bool selected) {
    selected_ = selected;
    update();
}

void KPThemableTableRowView::setBackgroundColorKey(const QString& key) {
    backgroundColorKey_ = key;
    applyTheme();
}

void KPThemableTableRowView::setSelectedBackgroundColorKey(const QString& key) {
    selectedBackgroundColorKey_ = key;
    applyTheme();
}

void KPThemableTableRowView::setSeparatorColorKey(const QString& key) {
    separatorColorKey_ = key;
    applyTheme();
}

void KPThemableTableRowView::applyTheme() {
    KPThemeManager& themes = KPThemeManager::sharedManager();
    bool changed = false;
    if (!backgroundColorKey_.isEmpty()) {
        internalBackgroundColor_ = themes.colorForKey(backgroundColorKey_);
        changed = true;
    }
    if (!selectedBackgroundColorKey_.isEmpty()) {
        selectedBackgroundColor_ = themes.colorForKey(selectedBackgroundColorKey_);
        changed = true;
    }
    if (!separatorColorKey_.isEmpty()) {
        separatorFillColor_ = themes.colorForKey(separatorColorKey_);
        changed = true;
    }
    if (changed) update();
}

void KPThemableTableRowView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    if (internalBackgroundColor_.isValid()) painter.fillRect(dirty, internalBackgroundColor_);
    if (selected_ && selectedBackgroundColor_.isValid()) {
        painter.fillRect(dirty, selectedBackgroundColor_);
    }
    if (separatorFillColor_.isValid()) {
        painter.fillRect(QRect(0, height() - 1, width(), 1), separatorFillColor_);
    }
}
