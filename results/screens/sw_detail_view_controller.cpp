#include "results/screens/sw_detail_view_controller.h"

#include "appearance/kp_text_field.h"
#include "results/memory_formatter.h"
#include "results/sw_category_texts.h"
#include "ui_sw_detail_view_controller.h"

KP_INTERFACE_DEFINITION(SWDetailViewController);
KP_SCREEN(SWDetailViewController);

std::shared_ptr<SWDetailViewController> SWDetailViewController::controllerWithRow(
    const SWResultRowPtr& row) {
    auto controller = KPViewController::controller<SWDetailViewController>();
    controller->setRow(row);
    return controller;
}

void SWDetailViewController::awakeFromNib() {
    auto* title = view()->findChild<KPThemableTextField*>(QStringLiteral("titleLabel"));
    title->setFontKey(QStringLiteral("deviceHeaderFont"));
    title->setTextColorKey(QStringLiteral("textColor"));
    for (const char* name : {"tooltipLabel", "summaryLabel"}) {
        auto* label = view()->findChild<KPThemableTextField*>(QLatin1String(name));
        label->setFontKey(QStringLiteral("textFont"));
        label->setTextColorKey(QStringLiteral("textColor"));
    }
}

void SWDetailViewController::setRow(const SWResultRowPtr& row) {
    row_ = row;
    updateUI();
}

void SWDetailViewController::updateUI() {
    const SWResultRowPtr row = row_.lock();
    if (!row) return;
    view()->findChild<QLabel*>(QStringLiteral("titleLabel"))->setText(row->title());
    view()
        ->findChild<QLabel*>(QStringLiteral("tooltipLabel"))
        ->setText(SWCategoryTexts::tooltipForKey(row->key()));
    QString summary;
    if (row->isScanning()) {
        summary = QStringLiteral("Scanning...");
    } else if (row->details().isEmpty()) {
        summary = QStringLiteral("No Items Found");
    } else {
        const qsizetype count = row->details().size();
        summary = QStringLiteral("%1 item%2, %3")
                      .arg(count)
                      .arg(count == 1 ? "" : "s")
                      .arg(row->totalSizeString());
    }
    view()->findChild<QLabel*>(QStringLiteral("summaryLabel"))->setText(summary);
}
