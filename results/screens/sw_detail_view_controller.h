#pragma once

#include "appearance/kp_view_controller.h"
#include "results/sw_result_row.h"

class KPThemableTextField;

// The detail pane of one category: its explanation and what it holds. The row is the
// one of the scan it was made for; a new scan makes new detail screens.
class SWDetailViewController : public KPViewController {
    Q_OBJECT
public:
    static std::shared_ptr<SWDetailViewController> controllerWithRow(const SWResultRowPtr& row);

    SWResultRowPtr row() const { return row_.lock(); }
    void setRow(const SWResultRowPtr& row);

protected:
    void awakeFromNib() override;

private:
    void updateUI();

    // The results screen owns the rows.
    std::weak_ptr<SWResultRow> row_;
};
