#pragma once

#include "appearance/kp_table_view.h"

// The sidebar's table: a click never takes the keyboard focus from the detail pane (Tab
// does), and it never scrolls by itself when rows are selected or move.
class LNTableView : public KPThemableTableView {
    Q_OBJECT
public:
    explicit LNTableView(QWidget* parent = nullptr);

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
};
