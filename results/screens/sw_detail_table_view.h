#pragma once

#include "appearance/kp_delete_table_view.h"

class SWDetailTableView;

// Learns which row the pointer is over.
class SWDetailTableViewHoverDelegate {
public:
    // `row` is -1 when the pointer left the rows; `lastHoveredRow` is -1 when it was on none.
    virtual void tableViewDidHoverRow(SWDetailTableView* tableView, int row,
                                      int lastHoveredRow) = 0;

protected:
    ~SWDetailTableViewHoverDelegate() = default;
};

// The table of a detail screen: its grid in the theme's separator colour, and the row
// under the pointer, so that a row can show its reveal button only while it is hovered.
class SWDetailTableView : public KPDeleteTableView {
    Q_OBJECT
public:
    explicit SWDetailTableView(QWidget* parent = nullptr);

    int hoveredRow() const { return hoveredRow_; }
    void setHoverDelegate(SWDetailTableViewHoverDelegate* delegate) { hoverDelegate_ = delegate; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void setHoveredRow(int row);

    SWDetailTableViewHoverDelegate* hoverDelegate_ = nullptr;
    int hoveredRow_ = -1;
};
