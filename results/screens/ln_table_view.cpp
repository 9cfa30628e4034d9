#include "results/screens/ln_table_view.h"

LNTableView::LNTableView(QWidget* parent) : KPThemableTableView(parent) {
    // A click never takes the focus from the detail pane; the keyboard reaches the
    // sidebar with Tab, so that its switches can be used without a pointer.
    setFocusPolicy(Qt::TabFocus);
}

void LNTableView::scrollTo(const QModelIndex&, ScrollHint) {}
