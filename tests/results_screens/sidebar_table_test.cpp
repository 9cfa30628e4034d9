#include <gtest/gtest.h>

#include <QScrollBar>
#include <QStandardItemModel>

#include "results/screens/ln_table_view.h"

namespace {

// Selecting or moving rows must never scroll the sidebar under the user's pointer.
TEST(SidebarTableTest, NeverScrollsByItselfNorTakesTheFocusOnAClick) {
    QStandardItemModel model(200, 1);
    LNTableView table;
    table.setModel(&model);
    table.resize(200, 100);
    table.show();
    table.scrollTo(model.index(150, 0));
    table.selectRow(180);
    EXPECT_EQ(table.verticalScrollBar()->value(), 0);
    EXPECT_EQ(table.focusPolicy(), Qt::TabFocus);
}

}  // namespace
