#include "appearance/kp_window_controller.h"

#include <QInputDevice>
#include <QTouchEvent>

#include "appearance/kp_popover_view_controller.h"
#include "base/dispatch.h"

namespace {

constexpr char kControllerProperty[] = "kpWindowController";

QList<KPTouch> touchesOf(const QTouchEvent* event) {
    QList<KPTouch> touches;
    for (const QEventPoint& point : event->points()) {
        const QRect pad = event->device() ? event->device()->availableVirtualGeometry() : QRect();
        const qreal x = pad.width() > 0 ? (point.globalPosition().x() - pad.left()) / pad.width()
                                        : point.globalPosition().x();
        touches.append({point.id(), x});
    }
    return touches;
}

}  // namespace

KPWindowController::~KPWindowController() {
    delete window_;
}

KPWindowController* KPWindowController::controllerOf(QWidget* window) {
    if (!window) return nullptr;
    return qobject_cast<KPWindowController*>(
        window->property(kControllerProperty).value<QObject*>());
}

KPYosemiteWindow* KPWindowController::makeWindow() {
    return new PVThemableWindow;
}

KPPopoverViewController* KPWindowController::popoverViewController() const {
    return popoverViewController_;
}

void KPWindowController::setPopoverViewController(KPPopoverViewController* popover) {
    popoverViewController_ = popover;
}

void KPWindowController::loadWindow() {
    window_ = makeWindow();
    window_->setProperty(kControllerProperty, QVariant::fromValue<QObject*>(this));
    KPInterfaceDefinitions::setUp(QString::fromLatin1(metaObject()->className()),
                                  window_->actualContentView());
    window_->setWindowTitle(window_->actualContentView()->windowTitle());
    if (!window_->actualContentView()->size().isEmpty())
        window_->resizeForContentSize(window_->actualContentView()->size());
    kpConnectActions(this, window_->actualContentView());
    window_->installEventFilter(this);
    awakeFromNib();
}

void KPWindowController::awakeFromNib() {
    if (wantsSwipeEvents_) {
        touchesDictionary_.emplace();
        window_->setAttribute(Qt::WA_AcceptTouchEvents);
    }
    if (kpViewIsLoaded_) return;
    kpViewIsLoaded_ = true;
    kp_viewDidLoad();
}

void KPWindowController::beginSheetInWindow(QWidget* parent) {
    if (!parent) return;
    kp_sheetWillAppear();
    dispatch::dispatchMain(
        [self = QPointer<KPWindowController>(this), parent = QPointer<QWidget>(parent)] {
            if (!self || !parent || !self->window_) return;
            KPYosemiteWindow* sheet = self->window_;
            sheet->setParent(parent->window(), sheet->windowFlags());
            sheet->setWindowModality(Qt::WindowModal);
            const QRect frame = parent->window()->geometry();
            sheet->move(frame.x() + (frame.width() - sheet->width()) / 2, frame.top());
            sheet->show();
            self->kp_sheetDidAppear();
        });
}

void KPWindowController::closeSheet() {
    kp_sheetWillDisappear();
    didEndSheet();
    kp_sheetDidDisappear();
}

void KPWindowController::didEndSheet() {
    if (window_) window_->hide();
}

void KPWindowController::beginGesture(const QList<KPTouch>& touches) {
    if (!wantsSwipeEvents_) return;
    touchesDictionary_.emplace();
    for (const KPTouch& touch : touches)
        touchesDictionary_->insert(touch.identity, touch);
}

void KPWindowController::endGesture(const QList<KPTouch>& touches) {
    if (!wantsSwipeEvents_ || !touchesDictionary_ || touchesDictionary_->isEmpty()) return;
    QList<qreal> deltas;
    for (const KPTouch& touch : touches) {
        const auto began = touchesDictionary_->constFind(touch.identity);
        if (began != touchesDictionary_->constEnd())
            deltas.append(touch.normalizedX - began->normalizedX);
    }
    touchesDictionary_->clear();
    if (deltas.size() < 2) return;
    qreal sum = 0;
    for (const qreal delta : deltas)
        sum += delta;
    if (qAbs(sum) < kSwipeThreshold) return;
    sum > 0 ? didSwipeForward() : didSwipeBack();
}

bool KPWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::TouchBegin)
        beginGesture(touchesOf(static_cast<QTouchEvent*>(event)));
    else if (watched == window_ && event->type() == QEvent::TouchEnd)
        endGesture(touchesOf(static_cast<QTouchEvent*>(event)));
    return QObject::eventFilter(watched, event);
}
