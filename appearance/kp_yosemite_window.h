#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include "appearance/theme_update.h"

// One of the three round window buttons. Covered, it shows a grey disc instead of its
// colour (the replica buttons do until the mouse comes near).
class KPWindowButton : public QAbstractButton {
    Q_OBJECT
public:
    enum Kind { Close, Minimize, Zoom };
    // The distance between neighbouring buttons of a row.
    static constexpr int kSpacing = 20;
    explicit KPWindowButton(Kind kind, QWidget* parent = nullptr);
    // The close, minimise and zoom buttons in a row from `origin`, in that order.
    static QList<KPWindowButton*> makeRow(QWidget* parent, QPoint origin);

    Kind kind() const { return kind_; }
    bool isCovered() const { return covered_; }
    void setCovered(bool covered);
    QSize sizeHint() const override { return QSize(14, 15); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void act();

    Kind kind_;
    bool covered_ = false;
};

// A window without a system title bar: its content view covers the whole window up to
// the top edge, so the content draws its own header, while the close, minimise and
// zoom buttons stay above the content. Dragging the background moves the window and
// dragging near an edge resizes it, both through the window system (X11 and Wayland).
class KPYosemiteWindow : public QWidget {
    Q_OBJECT
public:
    // How close to an edge a press resizes rather than moves.
    static constexpr int kResizeMargin = 5;

    explicit KPYosemiteWindow(QWidget* parent = nullptr);

    // The view the window's content goes in: the whole window.
    QWidget* contentView() const { return contentView_; }
    // The view holding the window's real content, inside the content view.
    QWidget* actualContentView() const { return actualContentView_; }
    void setActualContentView(QWidget* view);
    QLabel* actualTitleLabel() const { return actualTitleLabel_; }
    void setActualTitleLabel(QLabel* label);
    QColor contentBackgroundColor() const { return contentBackgroundColor_; }

    void setTitle(const QString& title);
    // An invalid colour clears the background.
    void setBackgroundColor(const QColor& color);
    KPWindowButton* standardWindowButton(KPWindowButton::Kind kind) const;
    void setStandardButtonsHidden(bool hidden);

    bool supportsFullsizeContentView() const { return true; }
    // The window edges a press at this point (in window coordinates) resizes.
    Qt::Edges resizeEdgesAt(QPoint point) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void configureContentView();
    void repositionStandardButtons();

    QWidget* contentView_;
    QPointer<QWidget> actualContentView_;
    QPointer<QLabel> actualTitleLabel_;
    QColor contentBackgroundColor_;
    QList<KPWindowButton*> standardButtons_;
};

// A utility window (a panel) of the same kind.
class KPYosemitePanel : public KPYosemiteWindow {
    Q_OBJECT
public:
    explicit KPYosemitePanel(QWidget* parent = nullptr);

    // Stored for forms that set them; content always fills the panel here.
    bool useContentSize() const { return useContentSize_; }
    void setUseContentSize(bool use) { useContentSize_ = use; }
    bool hidesStandardButtons() const { return hidesStandardButtons_; }
    void setHidesStandardButtons(bool hides) { hidesStandardButtons_ = hides; }

private:
    bool useContentSize_ = false;
    bool hidesStandardButtons_ = false;
};

// A window whose background is a theme colour, following theme changes for its life.
class PVThemableWindow : public KPYosemiteWindow, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit PVThemableWindow(QWidget* parent = nullptr);

    QString backgroundColorKey() const { return backgroundColorKey_; }
    void setBackgroundColorKey(const QString& key);
    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString backgroundColorKey_;
    KPThemeObserver themeObserver_;
};

// The view a window's content is placed in: the content view of a window without a
// title bar, the window itself otherwise.
QWidget* kp_contentView(QWidget* window);
