#include "results/screens/sw_preview_panel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QVBoxLayout>

#include "appearance/kp_view.h"

namespace {

constexpr QSize kPanelSize(640, 480);

QPointer<SWPreviewPanel>& sharedPanel() {
    static QPointer<SWPreviewPanel> panel;
    return panel;
}

}  // namespace

SWPreviewPanel::SWPreviewPanel(const QDBusConnection& bus, QWidget* parent)
    : QWidget(parent, Qt::Tool), previewer_(bus), background_(new KPThemableView(this)) {
    setAccessibleName(QStringLiteral("Preview"));
    setFocusPolicy(Qt::StrongFocus);
    background_->setBackgroundColorKey(QStringLiteral("windowColor"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(background_);
    new QVBoxLayout(background_);
    resize(kPanelSize);
    connect(&previewer_, &SWDesktopPreviewer::failed, this, [this] {
        if (usesDesktopPreviewer_) showInOwnWindow();
    });
    connect(&previewer_, &SWDesktopPreviewer::selectionKeyPressed, this, [this](int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        forwardKey(&press);
    });
}

SWPreviewPanel::~SWPreviewPanel() {
    if (usesDesktopPreviewer_ && previewer_.isVisible()) previewer_.close();
}

SWPreviewPanel* SWPreviewPanel::sharedPreviewPanel() {
    QPointer<SWPreviewPanel>& panel = sharedPanel();
    if (!panel) {
        panel = new SWPreviewPanel(QDBusConnection::sessionBus());
        // Deleted at once: no event loop runs after quitting to honour a deleteLater.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp,
                         [] { delete sharedPanel().data(); });
    }
    return panel;
}

SWPreviewPanel* SWPreviewPanel::existingPreviewPanel() {
    return sharedPanel();
}

void SWPreviewPanel::setController(SWPreviewPanelController* controller) {
    controller_ = controller;
    if (!controller_) orderOut();
}

void SWPreviewPanel::makeKeyAndOrderFront() {
    usesDesktopPreviewer_ = previewer_.isAvailable();
    if (usesDesktopPreviewer_) {
        reloadData();
        return;
    }
    showInOwnWindow();
}

void SWPreviewPanel::showInOwnWindow() {
    usesDesktopPreviewer_ = false;
    show();
    raise();
    activateWindow();
    setFocus();
    reloadData();
}

void SWPreviewPanel::orderOut() {
    if (usesDesktopPreviewer_ && previewer_.isVisible()) previewer_.close();
    hide();
    clearContent();
    setWindowTitle(QString());
}

bool SWPreviewPanel::isPanelVisible() const {
    return usesDesktopPreviewer_ ? previewer_.isVisible() : isVisible();
}

void SWPreviewPanel::reloadData() {
    const QSScannedFilePtr item = controller_ ? controller_->previewItem() : nullptr;
    if (!usesDesktopPreviewer_) {
        if (isVisible()) showItem(item);
        return;
    }
    if (item && !item->path().isEmpty()) {
        previewer_.showFile(item->path());
    } else {
        previewer_.close();
    }
}

SWPreviewPanel::Kind SWPreviewPanel::shownKind() const {
    return content_ ? content_->kind() : Kind::None;
}

QString SWPreviewPanel::shownPath() const {
    const QSScannedFilePtr item = shownItem_.lock();
    return content_ && item ? item->path() : QString();
}

// A key moves the list's selection, which asks for the entry, and its press and release
// ask again: the same entry is loaded once.
void SWPreviewPanel::showItem(const QSScannedFilePtr& item) {
    if (item && content_ && item == shownItem_.lock()) return;
    clearContent();
    shownItem_ = item;
    setWindowTitle(item ? item->previewItemTitle() : QString());
    if (!item) return;
    const QMargins margins = background_->layout()->contentsMargins();
    const QSize bounds = size().shrunkBy(margins).expandedTo(QSize(1, 1));
    content_ = SWPreviewContent::create(*item, bounds, background_);
    background_->layout()->addWidget(content_);
}

void SWPreviewPanel::clearContent() {
    // Deleted at once, not later: a player stops and a measurement is dropped now.
    delete content_;
    content_ = nullptr;
}

bool SWPreviewPanel::forwardKey(QKeyEvent* event) {
    if (!controller_ || !controller_->previewPanelHandleKeyEvent(event)) return false;
    reloadData();
    return true;
}

namespace {

// Space shows and hides the preview on this desktop, as Escape closes it.
bool closesPanel(const QKeyEvent* event) {
    return event->key() == Qt::Key_Escape || event->key() == Qt::Key_Space;
}

}  // namespace

void SWPreviewPanel::keyPressEvent(QKeyEvent* event) {
    if (closesPanel(event)) {
        orderOut();
        return;
    }
    if (!forwardKey(event)) QWidget::keyPressEvent(event);
}

void SWPreviewPanel::keyReleaseEvent(QKeyEvent* event) {
    if (closesPanel(event)) return;
    if (!forwardKey(event)) QWidget::keyReleaseEvent(event);
}

void SWPreviewPanel::closeEvent(QCloseEvent* event) {
    orderOut();
    event->accept();
}
