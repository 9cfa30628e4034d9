#pragma once

#include <QHash>
#include <QIcon>
#include <QStyledItemDelegate>
#include <memory>

#include "appearance/kp_path_control.h"
#include "results/screens/sw_control_stamp.h"
#include "results/screens/sw_file_table.h"

class KPYosemiteButton;

// Draws the rows of the error screen without a widget per row: the file's icon; its place
// as a path of components with the reason under it; and the row's button ("Delete" or
// "Show in Folder"), stamped from the kit's button. A click on a button is resolved to the
// row under the pointer at the moment of the click.
class SWErrorRowView : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 52;
    static constexpr int kImageSize = 32;
    static constexpr QSize kButtonSize{120, 26};

    explicit SWErrorRowView(QObject* parent = nullptr);
    ~SWErrorRowView() override;

    // Where the button sits in a button cell.
    static QRect buttonRect(const QRect& cell);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

signals:
    // The user pressed the button of that row.
    void buttonClicked(int row);

private:
    void paintImage(QPainter* painter, const QRect& cell, const QModelIndex& index) const;
    void paintName(QPainter* painter, const QRect& cell, const QModelIndex& index) const;
    void paintButton(QPainter* painter, const QRect& cell, const QModelIndex& index) const;

    // Draws the path of each row in turn.
    mutable SWPathCell pathCell_;
    std::unique_ptr<SWControlStamp> buttonStamp_;
    KPYosemiteButton* button_ = nullptr;
    SWFileIconCache icons_;
};
