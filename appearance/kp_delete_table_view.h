#pragma once

#include "appearance/kp_table_view.h"

class KPDeleteTableView;

// What a table's owner does when the user asks to delete its selected rows from the
// keyboard.
class KPDeleteTableViewDelegate {
public:
    virtual void tableViewDeleteFromKeyboard(KPDeleteTableView* tableView) = 0;

protected:
    ~KPDeleteTableViewDelegate() = default;
};

// A table whose delete keys go to its delegate, and whose context menu acts on the row
// it was opened on.
class KPDeleteTableView : public KPThemableTableView {
    Q_OBJECT
public:
    explicit KPDeleteTableView(QWidget* parent = nullptr);

    // Not owned: the delegate outlives the table or clears itself first.
    KPDeleteTableViewDelegate* deleteDelegate() const { return deleteDelegate_; }
    void setDeleteDelegate(KPDeleteTableViewDelegate* delegate) { deleteDelegate_ = delegate; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void prepareContextMenu(const QModelIndex& clicked);

    KPDeleteTableViewDelegate* deleteDelegate_ = nullptr;
};
