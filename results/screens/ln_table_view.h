#pragma once

#include "appearance/kp_table_view.h"

// The sidebar's table: it never takes the keyboard focus from the detail pane and
// never scrolls by itself when rows are selected or move.
class LNTableView : public KPThemableTableView {
    Q_OBJECT
public:
    explicit LNTableView(QWidget* parent = nullptr);

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
};
