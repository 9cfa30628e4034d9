#include "results/screens/ln_table_view.h"

LNTableView::LNTableView(QWidget* parent) : KPThemableTableView(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void LNTableView::scrollTo(const QModelIndex&, ScrollHint) {}
