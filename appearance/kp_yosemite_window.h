#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QLabel>
#include <QMargins>
#include <QPointer>
#include <QWidget>

#include "appearance/theme_update.h"

// One of the three round window buttons. Covered, it shows a grey disc instead of its
// colour (the replica buttons do until the mouse comes near). Assistive technology sees
// a push button named "Close", "Minimize" or "Zoom" whose press action clicks it.
class KPWindowButton : public QAbstractButton {
    Q_OBJECT
public:
    enum Kind { Close, Minimize, Zoom };
    // The distance between neighbouring buttons of a row.
    static constexpr int kSpacing = 20;
    static constexpr QSize kSize = QSize(14, 15);
    explicit KPWindowButton(Kind kind, QWidget* parent = nullptr);
    // The close, minimise and zoom buttons in a row from `origin`, in that order.
    static QList<KPWindowButton*> makeRow(QWidget* parent, QPoint origin);

    Kind kind() const { return kind_; }
    bool isCovered() const { return covered_; }
    void setCovered(bool covered);
    QSize sizeHint() const override { return kSize; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void act();

    Kind kind_;
    bool covered_ = false;
};

// What a window lays over the header its content draws: a separator one device pixel
// high along the header's bottom edge, and the title, centred on the whole window
// whatever the content puts beside it, and elided before it reaches the window buttons.
// Presses pass through to the content below.
class KPWindowHeaderView : public QWidget, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    static constexpr char kSeparatorColorKey[] = "windowHeaderSeparatorColor";
    static constexpr char kTitleFontKey[] = "semiBoldTextFont";
    static constexpr char kTitleColorKey[] = "textColor";

    explicit KPWindowHeaderView(QWidget* parent = nullptr);

    QLabel* titleLabel() const { return titleLabel_; }
    // The header takes the label over (out of any layout) and deletes the one before.
    void setTitleLabel(QLabel* label);
    void setTitle(const QString& title);
    void applyTheme() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutTitle();

    QString title_;
    QPointer<QLabel> titleLabel_;
    QColor separatorColor_;
    KPThemeObserver themeObserver_;
};

// A window without a system title bar: its content view covers the whole window up to
// the top edge, so the content draws its own header, while the header view (separator
// and title) and the close, minimise and zoom buttons stay above the content. Dragging
// the background moves the window and dragging near an edge resizes it, both through
// the window system (X11 and Wayland).
class KPYosemiteWindow : public QWidget {
    Q_OBJECT
public:
    // How close to an edge a press resizes rather than moves.
    static constexpr int kResizeMargin = 5;

    explicit KPYosemiteWindow(QWidget* parent = nullptr);

    // The view the window's content goes in: the whole window, less any shadow margins.
    QWidget* contentView() const { return contentView_; }
    // The view holding the window's real content, inside the content view.
    QWidget* actualContentView() const { return actualContentView_; }
    void setActualContentView(QWidget* view);
    KPWindowHeaderView* headerView() const { return headerView_; }
    // The label showing the title: the window's own unless the content gave one.
    QLabel* actualTitleLabel() const { return headerView_->titleLabel(); }
    void setActualTitleLabel(QLabel* label);
    QColor contentBackgroundColor() const { return contentBackgroundColor_; }

    // A window that draws its own shadow keeps a transparent margin for it around the
    // content view.
    QMargins shadowMargins() const { return shadowMargins_; }
    void setShadowMargins(const QMargins& margins);
    // Resizes the window so that its content view gets that size.
    void resizeForContentSize(const QSize& size);

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
    void changeEvent(QEvent* event) override;

private:
    void configureContentView();
    void layoutContentView();
    void repositionStandardButtons();

    QWidget* contentView_;
    QPointer<QWidget> actualContentView_;
    KPWindowHeaderView* headerView_;
    QColor contentBackgroundColor_;
    QMargins shadowMargins_;
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
