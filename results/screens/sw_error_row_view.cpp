#include "results/screens/sw_error_row_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include "appearance/kp_theme_manager.h"
#include "appearance/kp_yosemite_button.h"
#include "results/sw_error_table_model.h"

namespace {

constexpr int kCellMargin = 8;
constexpr int kLineSpacing = 2;

}  // namespace

SWErrorRowView::SWErrorRowView(QObject* parent)
    : QStyledItemDelegate(parent),
      buttonStamp_(std::make_unique<SWControlStamp>(
          new KPYosemiteButton(std::make_unique<KPNormalYosemiteButton>(), QString()),
          kButtonSize)),
      button_(static_cast<KPYosemiteButton*>(buttonStamp_->control())) {}

SWErrorRowView::~SWErrorRowView() = default;

QRect SWErrorRowView::buttonRect(const QRect& cell) {
    QRect rect(QPoint(0, 0), kButtonSize);
    rect.moveCenter(cell.center());
    return rect;
}

QSize SWErrorRowView::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight);
}

void SWErrorRowView::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    if (option.state & QStyle::State_Selected) {
        painter->fillRect(option.rect, KPThemeManager::sharedManager().colorForKey(
                                           QStringLiteral("detailTableSelectedBackgroundColor")));
    }
    switch (index.column()) {
        case SWErrorTableModel::ImageColumn:
            paintImage(painter, option.rect, index);
            break;
        case SWErrorTableModel::NameColumn:
            paintName(painter, option.rect, index);
            break;
        case SWErrorTableModel::ButtonColumn:
            paintButton(painter, option.rect, index);
            break;
    }
}

void SWErrorRowView::paintImage(QPainter* painter, const QRect& cell,
                                const QModelIndex& index) const {
    QRect target(0, 0, kImageSize, kImageSize);
    target.moveCenter(cell.center());
    icons_
        .iconFor(index.data(SWErrorTableModel::IconReferenceRole).toString(),
                 index.data(SWErrorTableModel::PathRole).toString())
        .paint(painter, target);
}

// The path on the first line, the reason under it in the smaller subtitle font.
void SWErrorRowView::paintName(QPainter* painter, const QRect& cell,
                               const QModelIndex& index) const {
    auto& theme = KPThemeManager::sharedManager();
    const QFont reasonFont =
        theme.fontForKey(QStringLiteral("errorViewSubtitleFont")).value_or(painter->font());
    const int pathHeight = QFontMetrics(pathCell_.font()).height();
    const int reasonHeight = QFontMetrics(reasonFont).height();
    const QRect text = cell.adjusted(kCellMargin, 0, -kCellMargin, 0);
    const int top = text.center().y() - (pathHeight + kLineSpacing + reasonHeight) / 2;
    pathCell_.setPath(index.data(SWErrorTableModel::PathRole).toString());
    pathCell_.draw(*painter, QRectF(text.left(), top, text.width(), pathHeight));
    painter->save();
    painter->setFont(reasonFont);
    painter->setPen(theme.colorForKey(QStringLiteral("detailsTableTitleColor")));
    const QRect reason(text.left(), top + pathHeight + kLineSpacing, text.width(), reasonHeight);
    painter->drawText(reason, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(reasonFont)
                          .elidedText(index.data(SWErrorTableModel::ReasonRole).toString(),
                                      Qt::ElideRight, reason.width()));
    painter->restore();
}

void SWErrorRowView::paintButton(QPainter* painter, const QRect& cell,
                                 const QModelIndex& index) const {
    button_->setText(index.data().toString());
    buttonStamp_->paintCentred(painter, cell);
}

bool SWErrorRowView::editorEvent(QEvent* event, QAbstractItemModel*,
                                 const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::MouseButtonRelease) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !index.isValid() ||
        index.column() != SWErrorTableModel::ButtonColumn ||
        !buttonRect(option.rect).contains(mouse->position().toPoint())) {
        return false;
    }
    emit buttonClicked(index.row());
    return true;
}
