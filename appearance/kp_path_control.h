#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QStringList>
#include <QUrl>

#include "appearance/theme_update.h"

class QPainter;

// Draws one component of a path: its name in the theme's text colour.
class SWPathComponentCell : public KPThemeUpdateProtocol {
public:
    static constexpr char kDefaultTextColorKey[] = "textColor";

    SWPathComponentCell();
    SWPathComponentCell(const SWPathComponentCell&) = delete;
    SWPathComponentCell& operator=(const SWPathComponentCell&) = delete;

    QString textColorKey() const { return textColorKey_; }
    void setTextColorKey(const QString& key) { changeThemeKey(textColorKey_, key); }
    QColor textColor() const { return textColor_; }

    void draw(QPainter& painter, const QRectF& frame, const QString& title,
              const QFont& font) const;
    void applyTheme() override;

private:
    QString textColorKey_ = QString::fromLatin1(kDefaultTextColorKey);
    QColor textColor_;
    KPThemeObserver themeObserver_;
};

// Draws a path as its components, left to right with a separator glyph between them, in
// the theme's font, on a clear background. When the components do not fit, the ones in
// the middle give way to an ellipsis first: the first folder and the file's own name say
// most about where a file is.
class SWPathCell : public KPThemeUpdateProtocol {
public:
    static constexpr char kDefaultFontKey[] = "errorViewLabelFont";
    static constexpr char16_t kSeparator = u'\u203A';
    static constexpr char16_t kEllipsis = u'\u2026';

    SWPathCell();
    SWPathCell(const SWPathCell&) = delete;
    SWPathCell& operator=(const SWPathCell&) = delete;

    QString fontKey() const { return fontKey_; }
    void setFontKey(const QString& key) { changeThemeKey(fontKey_, key); }
    QFont font() const { return font_; }

    QString path() const { return path_; }
    void setPath(const QString& path) { path_ = path; }
    // The names of the path's folders and of the item, outermost first; "/" for the root.
    static QStringList componentsOfPath(const QString& path);
    // The components as they are drawn in that width.
    QStringList fittedComponents(qreal width) const;
    qreal widthOfComponents(const QStringList& components) const;

    SWPathComponentCell& pathComponentCell() { return componentCell_; }
    const SWPathComponentCell& pathComponentCell() const { return componentCell_; }

    void draw(QPainter& painter, const QRectF& frame) const;
    void applyTheme() override;

private:
    QString fontKey_ = QString::fromLatin1(kDefaultFontKey);
    QFont font_;
    QString path_;
    SWPathComponentCell componentCell_;
    KPThemeObserver themeObserver_;
};

// A path shown as its components, for reading only: it takes no focus, ignores the mouse
// and lets clicks through to whatever lies below. Screen readers read the whole path.
class KPPathControl : public QLabel, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit KPPathControl(QWidget* parent = nullptr);

    QUrl url() const { return url_; }
    void setURL(const QUrl& url);
    SWPathCell& cell() { return cell_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void applyTheme() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QUrl url_;
    SWPathCell cell_;
    KPThemeObserver themeObserver_;
};
