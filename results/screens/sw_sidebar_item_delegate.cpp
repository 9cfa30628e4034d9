#include "results/screens/sw_sidebar_item_delegate.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPainter>

#include "appearance/kp_theme_manager.h"
#include "appearance/qrk_spinning_progress_indicator.h"
#include "appearance/tg_switch.h"
#include "results/sw_category_texts.h"
#include "results/sw_results_sidebar_model.h"

namespace {

constexpr int kImageSize = 20;
constexpr int kTitleLeftMargin = 4;

QColor themeColor(const char* key) {
    return KPThemeManager::sharedManager().colorForKey(QLatin1String(key));
}

QFont themeFont(const char* key, const QFont& fallback) {
    return KPThemeManager::sharedManager().fontForKey(QLatin1String(key)).value_or(fallback);
}

}  // namespace

SWSidebarItemDelegate::SWSidebarItemDelegate(QObject* parent)
    : QStyledItemDelegate(parent),
      switchStamp_(new TGSwitch, kSwitchSize),
      spinnerStamp_(new PVThemableSpinningProgressIndicator, kSpinnerSize),
      switch_(static_cast<TGSwitch*>(switchStamp_.control())),
      spinner_(static_cast<PVThemableSpinningProgressIndicator*>(spinnerStamp_.control())) {
    spinner_->setUsesThreadedAnimation(false);
    spinner_->setTintColorKey(QStringLiteral("progressIndicatorColor"));
}

void SWSidebarItemDelegate::setSpinning(bool spinning) {
    if (spinning == spinner_->isAnimating()) return;
    if (spinning) {
        spinner_->startAnimation();
    } else {
        spinner_->stopAnimation();
    }
}

bool SWSidebarItemDelegate::isSpinning() const {
    return spinner_->isAnimating();
}

QRect SWSidebarItemDelegate::switchRect(const QRect& cell) {
    QRect rect(QPoint(0, 0), kSwitchSize);
    rect.moveCenter(cell.center());
    return rect;
}

QSize SWSidebarItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    const bool group = index.data(SWResultsSidebarModel::IsGroupRole).toBool();
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(),
                 group ? kGroupRowHeight : kRowHeight);
}

void SWSidebarItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    if (index.data(SWResultsSidebarModel::IsGroupRole).toBool()) {
        paintGroup(painter, option, index);
        return;
    }
    const bool selected = option.state & QStyle::State_Selected;
    if (selected) {
        painter->fillRect(option.rect, themeColor("sidebarTableSelectedBackgroundColor"));
    }
    switch (index.column()) {
        case SWResultsSidebarModel::ImageColumn:
            paintImage(painter, option.rect, index);
            break;
        case SWResultsSidebarModel::DetailColumn:
            paintTitle(painter, option.rect, index, selected);
            break;
        case SWResultsSidebarModel::EnableColumn:
            paintSwitch(painter, option.rect, index, selected);
            break;
    }
}

void SWSidebarItemDelegate::paintGroup(QPainter* painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    painter->fillRect(option.rect, themeColor("sidebarDisabledTitleBackgroundColor"));
    if (index.column() != SWResultsSidebarModel::ImageColumn) return;
    painter->save();
    painter->setFont(themeFont("sidebarDisabledTitleFont", option.font));
    painter->setPen(themeColor("sidebarDisabledTitleColor"));
    painter->drawText(option.rect.adjusted(14, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                      index.data().toString());
    painter->restore();
}

void SWSidebarItemDelegate::paintImage(QPainter* painter, const QRect& cell,
                                       const QModelIndex& index) const {
    QRect target(0, 0, kImageSize, kImageSize);
    target.moveCenter(cell.center());
    iconNamed(index.data(SWResultsSidebarModel::IconNameRole).toString()).paint(painter, target);
}

// The sidebar is drawn again for every frame of its spinners: each image is read once.
const QIcon& SWSidebarItemDelegate::iconNamed(const QString& name) const {
    auto found = icons_.find(name);
    if (found == icons_.end()) {
        SWCategoryTexts::loadResources();
        found = icons_.insert(name, QIcon(QStringLiteral(":/results/%1.svg").arg(name)));
    }
    return *found;
}

void SWSidebarItemDelegate::paintTitle(QPainter* painter, const QRect& cell,
                                       const QModelIndex& index, bool selected) const {
    painter->save();
    const QRect text = cell.adjusted(kTitleLeftMargin, 4, -2, -4);
    const QFont titleFont = themeFont("sidebarTableTitleFont", painter->font());
    const QFont detailFont = themeFont("sidebarTableSubtitleFont", painter->font());
    const QColor titleColor = selected ? QColor(Qt::white) : themeColor("sidebarTableTitleColor");
    const QColor detailColor =
        selected ? QColor(255, 255, 255, 200) : themeColor("sidebarTableSubtitleColor");
    const int titleHeight = QFontMetrics(titleFont).height();
    const int detailHeight = QFontMetrics(detailFont).height();
    const int top = text.top() + (text.height() - titleHeight - detailHeight) / 2;
    const QRect titleRect(text.left(), top, text.width(), titleHeight);
    const QRect detailRect(text.left(), top + titleHeight, text.width(), detailHeight);
    painter->setFont(titleFont);
    painter->setPen(titleColor);
    painter->drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(titleFont).elidedText(index.data().toString(), Qt::ElideRight,
                                                         titleRect.width()));
    painter->setFont(detailFont);
    painter->setPen(detailColor);
    const QString detail = index.data(SWResultsSidebarModel::DetailTextRole).toString();
    painter->drawText(
        detailRect, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(detailFont).elidedText(detail, Qt::ElideRight, detailRect.width()));
    painter->restore();
}

void SWSidebarItemDelegate::paintSwitch(QPainter* painter, const QRect& cell,
                                        const QModelIndex& index, bool selected) const {
    if (index.data(SWResultsSidebarModel::IsScanningRole).toBool()) {
        // White fins on a selected row, the theme's colour elsewhere.
        spinner_->setBackgroundStyle(
            selected ? PVThemableSpinningProgressIndicator::kEmphasizedBackgroundStyle : 0);
        spinnerStamp_.paintCentred(painter, cell);
        return;
    }
    if (!index.data(SWResultsSidebarModel::ShowsSwitchRole).toBool()) return;
    switch_->setChecked(index.data(Qt::CheckStateRole).toInt() == Qt::Checked, false);
    switch_->setEnabled(index.flags() & Qt::ItemIsUserCheckable);
    switchStamp_.paintCentred(painter, cell);
}

bool SWSidebarItemDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                        const QStyleOptionViewItem& option,
                                        const QModelIndex& index) {
    if (event->type() != QEvent::MouseButtonRelease) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    if (index.column() != SWResultsSidebarModel::EnableColumn) return false;
    if (!(index.flags() & Qt::ItemIsUserCheckable)) return false;
    if (!switchRect(option.rect).contains(mouse->position().toPoint())) return false;
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    if (!model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole)) {
        return false;
    }
    emit switchToggled(index.row());
    return true;
}
