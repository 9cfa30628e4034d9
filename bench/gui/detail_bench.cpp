// Measures the detail screen of a category of 200,000 files on the offscreen platform:
// the time to show it, to sort it again by name, the longest frame of a scroll from top to
// bottom in 100 steps, and the heap the screen takes beyond the scan's own entries. The
// same steps over a plain QTableView of a trivial model of the same size are printed
// beside them as the floor. Goals: showing at most 200 ms, a re-sort at most 250 ms, no
// frame over 16 ms, at most 64 bytes per row.
#include <malloc.h>
#include <QAbstractTableModel>
#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <cstdio>

#include "appearance/theme_selection.h"
#include "bench/bench_support.h"
#include "results/screens/sw_detail_view_controller.h"

namespace {

constexpr int kRows = 200000;
constexpr int kScrollSteps = 100;
constexpr QSize kPaneSize{640, 720};

size_t heapInUse() {
    return mallinfo2().uordblks;
}

// Entries as a cache walk makes them: a few thousand folders of files.
QList<QSScannedFilePtr> entries() {
    QList<QSScannedFilePtr> files;
    files.reserve(kRows);
    for (qint64 i = 0; i < kRows; ++i) {
        auto file = std::make_shared<QSScannedFile>();
        const QString name = QStringLiteral("entry-%1.bin").arg((i * 7919) % kRows);
        file->setPathInFolder(QByteArray("/home/bench/.cache/build/") + QByteArray::number(i / 64),
                              name);
        file->setFileName(name);
        file->setFileSize(quint64(1 + (i * 104729) % 1000000));
        files.append(file);
    }
    return files;
}

// The floor: a table of the same size whose model answers from an array of numbers.
class TrivialModel : public QAbstractTableModel {
public:
    TrivialModel() : values_(kRows) {
        for (int i = 0; i < kRows; ++i)
            values_[i] = (i * 7919) % kRows;
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : kRows;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 5;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return QString::number(values_[size_t(index.row())] + index.column());
    }
    void resort() {
        beginResetModel();
        std::sort(values_.begin(), values_.end());
        endResetModel();
    }

private:
    std::vector<int> values_;
};

struct Timings {
    double showMs = 0;
    double resortMs = 0;
    double longestFrameMs = 0;
};

double milliseconds(const std::function<void()>& work) {
    return bench::seconds(work) * 1000.0;
}

// Scrolls the table from top to bottom, painting each step, and answers the longest paint.
double longestScrollFrame(QTableView& table) {
    QScrollBar* bar = table.verticalScrollBar();
    double longest = 0;
    for (int step = 0; step <= kScrollSteps; ++step) {
        longest = std::max(longest, milliseconds([&] {
                               bar->setValue(bar->maximum() * step / kScrollSteps);
                               table.viewport()->repaint();
                           }));
    }
    return longest;
}

Timings measureFloor() {
    Timings timings;
    TrivialModel model;
    QTableView table;
    table.resize(kPaneSize);
    timings.showMs = milliseconds([&] {
        table.setModel(&model);
        table.show();
        QApplication::processEvents();
        table.repaint();
    });
    timings.resortMs = milliseconds([&] {
        model.resort();
        table.repaint();
    });
    timings.longestFrameMs = longestScrollFrame(table);
    return timings;
}

Timings measureScreen(const SWResultRowPtr& row, double* bytesPerRow) {
    Timings timings;
    const size_t before = heapInUse();
    std::shared_ptr<SWDetailViewController> screen;
    timings.showMs = milliseconds([&] {
        screen = SWDetailViewController::controllerWithRow(row);
        screen->view()->resize(kPaneSize);
        screen->view()->show();
        QApplication::processEvents();
        screen->view()->repaint();
    });
    *bytesPerRow = double(heapInUse() - before) / kRows;
    timings.resortMs = milliseconds([&] {
        screen->didClickNameColumn();
        screen->tableView()->repaint();
    });
    timings.longestFrameMs = longestScrollFrame(*screen->tableView());
    return timings;
}

void report(const char* what, double ours, double floor, double goal) {
    std::printf("%-22s %9.1f ms   plain table %8.1f ms   goal <= %5.0f ms   %s\n", what, ours,
                floor, goal, ours <= goal ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    SWThemeSelection::registerThemes();
    const QList<QSScannedFilePtr> files = entries();
    auto row = SWResultRow::rowWithScanResult(std::make_shared<QSScanResult>(
        QStringLiteral("Caches"), QStringLiteral("application-caches"), 0, files,
        QStringLiteral("/home/bench/.cache")));

    const Timings floor = measureFloor();
    double bytesPerRow = 0;
    const Timings ours = measureScreen(row, &bytesPerRow);
    std::printf("Detail screen of %d entries (offscreen)\n", kRows);
    report("show", ours.showMs, floor.showMs, 200);
    report("re-sort by name", ours.resortMs, floor.resortMs, 250);
    report("longest scroll frame", ours.longestFrameMs, floor.longestFrameMs, 16);
    std::printf("%-22s %9.1f bytes per row   goal <= 64   %s\n", "heap of the screen", bytesPerRow,
                bytesPerRow <= 64 ? "met" : "MISSED");
    return 0;
}
