#include "results/screens/sw_detail_row_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include "appearance/kp_theme_manager.h"
#include "appearance/tg_switch.h"
#include "results/sw_detail_table_model.h"

namespace {

constexpr int kCellMargin = 8;

QColor themeColor(const char* key) {
    return KPThemeManager::sharedManager().colorForKey(QLatin1String(key));
}

QFont themeFont(const char* key, const QFont& fallback) {
    return KPThemeManager::sharedManager().fontForKey(QLatin1String(key)).value_or(fallback);
}

}  // namespace

SWDetailRowView::SWDetailRowView(bool switches, QObject* parent)
    : QStyledItemDelegate(parent), switches_(switches) {
    if (!switches_) return;
    switchStamp_ = std::make_unique<SWControlStamp>(new TGSwitch, kSwitchSize);
    switch_ = static_cast<TGSwitch*>(switchStamp_->control());
}

QRect SWDetailRowView::revealButtonRect(const QRect& cell) {
    QRect rect(QPoint(0, 0), kRevealButtonSize);
    rect.moveCenter(cell.center());
    rect.moveRight(cell.right() - kCellMargin);
    return rect;
}

QRect SWDetailRowView::checkRect(const QRect& cell) const {
    QRect rect(QPoint(0, 0), switches_ ? kSwitchSize : kCheckBoxSize);
    rect.moveCenter(cell.center());
    return rect;
}

QSize SWDetailRowView::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight);
}

void SWDetailRowView::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    // The selection is drawn as the table's own, whether or not it has the focus.
    if (option.state & QStyle::State_Selected) {
        painter->fillRect(option.rect, themeColor("detailTableSelectedBackgroundColor"));
    }
    switch (index.column()) {
        case SWDetailTableModel::ImageColumn:
            paintImage(painter, option.rect, index);
            break;
        case SWDetailTableModel::NameColumn: {
            const bool revealed = index.row() == revealedRow_;
            const QRect text =
                revealed ? option.rect.adjusted(0, 0, -(kRevealButtonSize.width() + kCellMargin), 0)
                         : option.rect;
            paintText(painter, text, index, Qt::AlignLeft);
            if (revealed) paintRevealButton(painter, option.rect);
            break;
        }
        case SWDetailTableModel::SizeColumn:
            paintText(painter, option.rect, index, Qt::AlignRight);
            break;
        case SWDetailTableModel::DateColumn:
            paintText(painter, option.rect, index, Qt::AlignLeft);
            break;
        case SWDetailTableModel::CheckBoxColumn:
            paintCheck(painter, option, index);
            break;
    }
}

void SWDetailRowView::paintImage(QPainter* painter, const QRect& cell,
                                 const QModelIndex& index) const {
    QRect target(0, 0, kImageSize, kImageSize);
    target.moveCenter(cell.center());
    icons_
        .iconFor(index.data(SWDetailTableModel::IconReferenceRole).toString(),
                 index.data(SWDetailTableModel::PathRole).toString(),
                 index.data(SWDetailTableModel::IsFolderRole))
        .paint(painter, target);
}

void SWDetailRowView::paintText(QPainter* painter, const QRect& cell, const QModelIndex& index,
                                Qt::Alignment alignment) const {
    painter->save();
    const QFont font = themeFont("detailsTableTitleFont", painter->font());
    painter->setFont(font);
    painter->setPen(themeColor("detailsTableTitleColor"));
    const QRect text = cell.adjusted(kCellMargin, 0, -kCellMargin, 0);
    painter->drawText(
        text, alignment | Qt::AlignVCenter,
        QFontMetrics(font).elidedText(index.data().toString(), Qt::ElideMiddle, text.width()));
    painter->restore();
}

// A magnifying glass in a ring, in the colour of the explanation's icon.
void SWDetailRowView::paintRevealButton(QPainter* painter, const QRect& cell) const {
    const QRectF button = QRectF(revealButtonRect(cell)).adjusted(0.5, 0.5, -0.5, -0.5);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QColor color = themeColor("detailsInfoIconColor");
    painter->setPen(QPen(color, 1.2));
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(button);
    const QPointF centre = button.center() - QPointF(1.2, 1.2);
    painter->setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter->drawEllipse(centre, 3.6, 3.6);
    painter->drawLine(centre + QPointF(2.6, 2.6), centre + QPointF(5.4, 5.4));
    painter->restore();
}

void SWDetailRowView::paintCheck(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    if (switches_) {
        switch_->setChecked(checked, false);
        switchStamp_->paintCentred(painter, option.rect);
        return;
    }
    QStyleOptionViewItem check(option);
    check.rect = checkRect(option.rect);
    check.state = (check.state & ~QStyle::State_HasFocus) | QStyle::State_Enabled |
                  (checked ? QStyle::State_On : QStyle::State_Off);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, widget);
}

bool SWDetailRowView::editorEvent(QEvent* event, QAbstractItemModel* model,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::MouseButtonRelease) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint point = mouse->position().toPoint();
    if (mouse->button() != Qt::LeftButton || !index.isValid()) return false;
    if (index.column() == SWDetailTableModel::NameColumn && index.row() == revealedRow_ &&
        revealButtonRect(option.rect).contains(point)) {
        emit revealClicked(index.row());
        return true;
    }
    if (index.column() != SWDetailTableModel::CheckBoxColumn ||
        !(index.flags() & Qt::ItemIsUserCheckable) || !checkRect(option.rect).contains(point)) {
        return false;
    }
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    if (!model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole)) {
        return false;
    }
    emit toggled(index.row());
    return true;
}
