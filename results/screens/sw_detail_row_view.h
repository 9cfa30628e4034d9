#pragma once

#include <QHash>
#include <QIcon>
#include <QStyledItemDelegate>

#include "results/screens/sw_control_stamp.h"
#include "results/screens/sw_file_table.h"

class TGSwitch;

// Draws the rows of a detail table, so that a category of hundreds of thousands of files
// holds no widget per row: the selected row's background, the entry's icon (looked up only
// for rows that are drawn, and kept per kind of file), its name with the reveal button on
// the row that shows it, its size and date, and its check box, or for the login items the
// kit's switch. A click on a check box, switch or reveal button is resolved to the cell under
// the pointer at the moment of the click.
class SWDetailRowView : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 36;
    static constexpr int kImageSize = 24;
    static constexpr QSize kRevealButtonSize{20, 20};
    static constexpr QSize kCheckBoxSize{16, 16};
    static constexpr QSize kSwitchSize{38, 22};

    // `switches`: the check boxes are the kit's switches.
    explicit SWDetailRowView(bool switches, QObject* parent = nullptr);

    // The row whose reveal button is shown; -1 for none.
    int revealedRow() const { return revealedRow_; }
    void setRevealedRow(int row) { revealedRow_ = row; }

    // Where the reveal button sits in a name cell, and the check box or switch in its cell.
    static QRect revealButtonRect(const QRect& cell);
    QRect checkRect(const QRect& cell) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

signals:
    // The user flipped the check box or switch of that row (the model holds the new state).
    void toggled(int row);
    // The user pressed the reveal button of that row.
    void revealClicked(int row);

private:
    void paintImage(QPainter* painter, const QRect& cell, const QModelIndex& index) const;
    void paintText(QPainter* painter, const QRect& cell, const QModelIndex& index,
                   Qt::Alignment alignment) const;
    void paintRevealButton(QPainter* painter, const QRect& cell) const;
    void paintCheck(QPainter* painter, const QStyleOptionViewItem& option,
                    const QModelIndex& index) const;

    bool switches_;
    int revealedRow_ = -1;
    std::unique_ptr<SWControlStamp> switchStamp_;
    TGSwitch* switch_ = nullptr;
    SWFileIconCache icons_;
};
