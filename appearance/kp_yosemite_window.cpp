#include "appearance/kp_yosemite_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QWindow>

#include "appearance/kp_drawing.h"
#include "appearance/kp_text_field.h"
#include "appearance/kp_theme_manager.h"
#include "appearance/kp_window_geometry.h"

namespace {

const QRectF kDiscRect(0.5, 1.5, 12.5, 12.5);
constexpr int kButtonsLeft = 12;
constexpr int kButtonsTop = 11;
// The title stays this far from the window buttons, and as far from the right edge, so
// that it is elided before it touches them and stays centred.
constexpr int kTitleInset =
    kButtonsLeft + 2 * KPWindowButton::kSpacing + KPWindowButton::kSize.width() + 8;

// What assistive technology announces for each button, and what end-to-end tests find
// them by.
constexpr char kCloseButtonName[] = "Close";
constexpr char kMinimizeButtonName[] = "Minimize";
constexpr char kZoomButtonName[] = "Zoom";

QString accessibleNameOf(KPWindowButton::Kind kind) {
    switch (kind) {
        case KPWindowButton::Close:
            return QString::fromLatin1(kCloseButtonName);
        case KPWindowButton::Minimize:
            return QString::fromLatin1(kMinimizeButtonName);
        case KPWindowButton::Zoom:
            return QString::fromLatin1(kZoomButtonName);
    }
    return {};
}

QColor discColor(KPWindowButton::Kind kind) {
    switch (kind) {
        case KPWindowButton::Close:
            return QColor(0xff, 0x5f, 0x57);
        case KPWindowButton::Minimize:
            return QColor(0xfe, 0xbc, 0x2e);
        case KPWindowButton::Zoom:
            return QColor(0x28, 0xc8, 0x40);
    }
    return {};
}

}  // namespace

KPWindowButton::KPWindowButton(Kind kind, QWidget* parent) : QAbstractButton(parent), kind_(kind) {
    setAccessibleName(accessibleNameOf(kind));
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    resize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, &KPWindowButton::act);
}

QList<KPWindowButton*> KPWindowButton::makeRow(QWidget* parent, QPoint origin) {
    QList<KPWindowButton*> row;
    for (const auto kind : {Close, Minimize, Zoom}) {
        auto* button = new KPWindowButton(kind, parent);
        button->move(origin + QPoint(int(row.size()) * kSpacing, 0));
        row.append(button);
    }
    return row;
}

void KPWindowButton::setCovered(bool covered) {
    if (covered_ == covered) return;
    covered_ = covered;
    update();
}

void KPWindowButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (covered_) {
        painter.setPen(QPen(QColor::fromRgbF(0.8f, 0.8f, 0.8f), 1));
        painter.setBrush(QColor::fromRgbF(0.902f, 0.902f, 0.902f));
    } else {
        const QColor fill = discColor(kind_);
        painter.setPen(QPen(fill.darker(isDown() ? 140 : 115), 1));
        painter.setBrush(isDown() ? fill.darker(120) : fill);
    }
    painter.drawEllipse(kDiscRect);
}

void KPWindowButton::act() {
    QWidget* target = window();
    switch (kind_) {
        case Close:
            target->close();
            break;
        case Minimize:
            target->showMinimized();
            break;
        case Zoom:
            if (kp_fullScreenEnabled(target))
                kp_isFullScreen(target) ? target->showNormal() : target->showFullScreen();
            else
                target->isMaximized() ? target->showNormal() : target->showMaximized();
            break;
    }
}

KPWindowHeaderView::KPWindowHeaderView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* title = new KPThemableTextField;
    title->setFontKey(QString::fromLatin1(kTitleFontKey));
    title->setTextColorKey(QString::fromLatin1(kTitleColorKey));
    setTitleLabel(title);
    themeObserver_.configure(*this);
}

void KPWindowHeaderView::setTitleLabel(QLabel* label) {
    if (label == titleLabel_) return;
    delete titleLabel_;
    titleLabel_ = label;
    if (!label) return;
    label->setParent(this);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->installEventFilter(this);
    label->show();
    layoutTitle();
}

void KPWindowHeaderView::setTitle(const QString& title) {
    title_ = title;
    layoutTitle();
}

void KPWindowHeaderView::applyTheme() {
    separatorColor_ =
        KPThemeManager::sharedManager().colorForKey(QString::fromLatin1(kSeparatorColorKey));
    update();
}

void KPWindowHeaderView::paintEvent(QPaintEvent*) {
    if (!separatorColor_.isValid()) return;
    QPainter painter(this);
    const qreal pixel = 1 / kp_devicePixelRatio(painter);
    painter.fillRect(QRectF(0, height() - pixel, width(), pixel), separatorColor_);
}

void KPWindowHeaderView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutTitle();
}

// A theme change sets the label's font after the header has laid it out.
bool KPWindowHeaderView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == titleLabel_ && event->type() == QEvent::FontChange) layoutTitle();
    return QWidget::eventFilter(watched, event);
}

void KPWindowHeaderView::layoutTitle() {
    if (!titleLabel_) return;
    const int room = std::max(0, width() - 2 * kTitleInset);
    titleLabel_->setText(
        QFontMetrics(titleLabel_->font()).elidedText(title_, Qt::ElideRight, room));
    const QSize hint = titleLabel_->sizeHint();
    const QSize size(std::min(hint.width(), room), hint.height());
    titleLabel_->setGeometry(QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, size, rect()));
}

KPYosemiteWindow::KPYosemiteWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      contentView_(new QWidget(this)),
      headerView_(new KPWindowHeaderView(contentView_)) {
    standardButtons_ = KPWindowButton::makeRow(contentView_, QPoint(kButtonsLeft, kButtonsTop));
    setActualContentView(new QWidget);
}

void KPYosemiteWindow::setActualContentView(QWidget* view) {
    if (actualContentView_ == view) return;
    delete actualContentView_;
    actualContentView_ = view;
    configureContentView();
}

void KPYosemiteWindow::configureContentView() {
    actualContentView_->setParent(contentView_);
    layoutContentView();
    actualContentView_->show();
    repositionStandardButtons();
}

void KPYosemiteWindow::layoutContentView() {
    contentView_->setGeometry(rect().marginsRemoved(shadowMargins_));
    if (actualContentView_) actualContentView_->setGeometry(contentView_->rect());
    headerView_->setGeometry(0, 0, contentView_->width(), int(kKPWindowHeaderHeight));
}

// The header's separator and title go above the content so that they stay visible, and
// the buttons above them so that they stay clickable over a custom header.
void KPYosemiteWindow::repositionStandardButtons() {
    headerView_->raise();
    for (KPWindowButton* button : standardButtons_)
        button->raise();
}

void KPYosemiteWindow::setActualTitleLabel(QLabel* label) {
    headerView_->setTitleLabel(label);
}

void KPYosemiteWindow::setShadowMargins(const QMargins& margins) {
    shadowMargins_ = margins;
    layoutContentView();
}

void KPYosemiteWindow::resizeForContentSize(const QSize& size) {
    resize(size.grownBy(shadowMargins_));
}

void KPYosemiteWindow::setTitle(const QString& title) {
    setWindowTitle(title);
}

void KPYosemiteWindow::setBackgroundColor(const QColor& color) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, color.isValid() ? color : QColor(Qt::transparent));
    setPalette(palette);
    setAutoFillBackground(color.isValid());
    update();
}

KPWindowButton* KPYosemiteWindow::standardWindowButton(KPWindowButton::Kind kind) const {
    return standardButtons_.value(kind);
}

void KPYosemiteWindow::setStandardButtonsHidden(bool hidden) {
    for (KPWindowButton* button : standardButtons_)
        button->setVisible(!hidden);
}

Qt::Edges KPYosemiteWindow::resizeEdgesAt(QPoint point) const {
    Qt::Edges edges;
    if (!kp_isResizable(const_cast<KPYosemiteWindow*>(this))) return edges;
    if (point.x() < kResizeMargin) edges |= Qt::LeftEdge;
    if (point.x() >= width() - kResizeMargin) edges |= Qt::RightEdge;
    if (point.y() < kResizeMargin) edges |= Qt::TopEdge;
    if (point.y() >= height() - kResizeMargin) edges |= Qt::BottomEdge;
    return edges;
}

// Presses that no control took arrive here: the background moves or resizes the window.
void KPYosemiteWindow::mousePressEvent(QMouseEvent* event) {
    QWindow* handle = windowHandle();
    if (event->button() != Qt::LeftButton || !handle) {
        QWidget::mousePressEvent(event);
        return;
    }
    const Qt::Edges edges = resizeEdgesAt(mapFromGlobal(event->globalPosition().toPoint()));
    if (edges)
        handle->startSystemResize(edges);
    else
        handle->startSystemMove();
    event->accept();
}

void KPYosemiteWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutContentView();
}

// However the title is set (a form's window title, setTitle), the header shows it.
void KPYosemiteWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange) headerView_->setTitle(windowTitle());
}

KPYosemitePanel::KPYosemitePanel(QWidget* parent) : KPYosemiteWindow(parent) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
}

PVThemableWindow::PVThemableWindow(QWidget* parent) : KPYosemiteWindow(parent) {
    themeObserver_.configure(*this);
}

void PVThemableWindow::setBackgroundColorKey(const QString& key) {
    backgroundColorKey_ = key;
    applyTheme();
}

void PVThemableWindow::applyTheme() {
    if (backgroundColorKey_.isNull()) return;
    setBackgroundColor(KPThemeManager::sharedManager().colorForKey(backgroundColorKey_));
}

QWidget* kp_contentView(QWidget* window) {
    if (auto* yosemite = qobject_cast<KPYosemiteWindow*>(window)) return yosemite->contentView();
    return window;
}
