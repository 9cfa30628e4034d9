#pragma once

#include <QHash>
#include <QIcon>
#include <QStyledItemDelegate>

#include "results/screens/sw_control_stamp.h"

class PVThemableSpinningProgressIndicator;
class TGSwitch;

// Paints the sidebar's cells from the model: the category's image, its title with the
// line of detail, its switch or, while it is scanning, a spinner; and the heading row.
// The switch and the spinner are the kit's own controls, stamped into each cell. A click
// on a switch is resolved to the row under the pointer at the moment of the click.
class SWSidebarItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kGroupRowHeight = 30;
    static constexpr int kRowHeight = 44;
    static constexpr QSize kSwitchSize{38, 22};
    static constexpr QSize kSpinnerSize{16, 16};

    explicit SWSidebarItemDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Where the switch (or the spinner) sits in a cell of the switch column.
    static QRect switchRect(const QRect& cell);
    // Starts or stops the spinners' frames.
    void setSpinning(bool spinning);
    bool isSpinning() const;

signals:
    // The user flipped the switch of that row (the model already holds the new state).
    void switchToggled(int row);

private:
    void paintGroup(QPainter* painter, const QStyleOptionViewItem& option,
                    const QModelIndex& index) const;
    void paintImage(QPainter* painter, const QRect& cell, const QModelIndex& index) const;
    const QIcon& iconNamed(const QString& name) const;
    void paintTitle(QPainter* painter, const QRect& cell, const QModelIndex& index,
                    bool selected) const;
    void paintSwitch(QPainter* painter, const QRect& cell, const QModelIndex& index,
                     bool selected) const;

    mutable QHash<QString, QIcon> icons_;
    SWControlStamp switchStamp_;
    SWControlStamp spinnerStamp_;
    TGSwitch* switch_;
    PVThemableSpinningProgressIndicator* spinner_;
};
