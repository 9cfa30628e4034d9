#include "appearance/kp_view_controller.h"

#include <QApplication>

#include "appearance/kp_navigation_controller.h"
#include "appearance/kp_window_controller.h"

std::shared_ptr<KPViewController> KPViewController::controllerWithView(QWidget* view) {
    std::shared_ptr<KPViewController> made(new KPViewController, &KPViewController::release);
    made->setView(view);
    return made;
}

QString KPViewController::nibName(const QMetaObject* type) {
    return KPInterfaceDefinitions::nameFor(type);
}

KPViewController::~KPViewController() {
    delete view_;
}

void KPViewController::loadView(const QString& name) {
    if (name.isEmpty()) return;
    setView(new QWidget);
    KPInterfaceDefinitions::setUp(name, view_);
    unconnectedActions_ = kpConnectActions(this, view_);
    awakeFromNib();
}

QWidget* KPViewController::view() {
    if (!view_) view_ = new QWidget;
    return view_;
}

void KPViewController::setView(QWidget* view) {
    if (view_ == view) return;
    delete view_;
    view_ = view;
}

KPNavigationController* KPViewController::navigationController() const {
    return navigationController_;
}

void KPViewController::setNavigationController(KPNavigationController* controller) {
    navigationController_ = controller;
}

QWidget* KPViewController::parentWindow() const {
    if (parentWindow_) return parentWindow_;
    if (view_ && view_->parentWidget()) return view_->window();
    return QApplication::activeWindow();
}

void KPViewController::awakeFromNib() {
    if (kp_viewHasLoaded_) return;
    kp_viewDidLoad();
    kp_viewHasLoaded_ = true;
}

QString KPViewController::description() const {
    return QStringLiteral("<%1: 0x%2>")
        .arg(QString::fromLatin1(metaObject()->className()))
        .arg(quintptr(this), 0, 16);
}

namespace {

QList<KPScreenCatalogue::Entry>& catalogue() {
    static QList<KPScreenCatalogue::Entry> entries;
    return entries;
}

}  // namespace

void KPScreenCatalogue::add(Entry entry) {
    catalogue().append(std::move(entry));
}

QList<KPScreenCatalogue::Entry> KPScreenCatalogue::entries() {
    return catalogue();
}

QStringList KPScreenCatalogue::problems(const Entry& entry) {
    const QString name = QString::fromLatin1(entry.type->className());
    if (KPViewController::nibName(entry.type).isEmpty())
        return {name + QStringLiteral(": no form")};
    QStringList found;
    for (const QString& slot : entry.make()->unconnectedActions())
        found.append(name + QStringLiteral(": ") + slot +
                     QStringLiteral(" is connected to nothing"));
    return found;
}
