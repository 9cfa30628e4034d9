#include "results/screens/sw_detail_table_view.h"

#include <QEvent>
#include <QMouseEvent>

SWDetailTableView::SWDetailTableView(QWidget* parent) : KPDeleteTableView(parent) {
    setMouseTracking(true);
    setGridColorKey(QStringLiteral("detailsTableSeparatorColor"));
}

void SWDetailTableView::mouseMoveEvent(QMouseEvent* event) {
    const int row = rowAt(event->position().toPoint().y());
    // Between rows and below the last one the pointer keeps the row it had.
    if (row != -1) setHoveredRow(row);
    KPDeleteTableView::mouseMoveEvent(event);
}

bool SWDetailTableView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) setHoveredRow(-1);
    return KPDeleteTableView::viewportEvent(event);
}

void SWDetailTableView::setHoveredRow(int row) {
    if (row == hoveredRow_) return;
    const int last = hoveredRow_;
    hoveredRow_ = row;
    if (hoverDelegate_) hoverDelegate_->tableViewDidHoverRow(this, row, last);
}
