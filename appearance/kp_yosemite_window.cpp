#include "appearance/kp_yosemite_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "appearance/kp_theme_manager.h"
#include "appearance/kp_window_geometry.h"

namespace {

const QRectF kDiscRect(0.5, 1.5, 12.5, 12.5);
constexpr int kButtonsLeft = 12;
constexpr int kButtonsTop = 11;

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

KPYosemiteWindow::KPYosemiteWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), contentView_(new QWidget(this)) {
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
    contentView_->setGeometry(rect());
    actualContentView_->setParent(contentView_);
    actualContentView_->setGeometry(contentView_->rect());
    actualContentView_->show();
    repositionStandardButtons();
}

// The buttons go above the content so that they stay clickable over a custom header.
void KPYosemiteWindow::repositionStandardButtons() {
    for (KPWindowButton* button : standardButtons_)
        button->raise();
}

void KPYosemiteWindow::setActualTitleLabel(QLabel* label) {
    actualTitleLabel_ = label;
    if (label) label->setText(windowTitle());
}

void KPYosemiteWindow::setTitle(const QString& title) {
    setWindowTitle(title);
    if (actualTitleLabel_) actualTitleLabel_->setText(title);
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
    contentView_->setGeometry(rect());
    if (actualContentView_) actualContentView_->setGeometry(contentView_->rect());
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
