#pragma once

#include <QDBusConnection>
#include <QWidget>

#include "engine/scan_model.h"
#include "results/screens/sw_desktop_previewer.h"
#include "results/screens/sw_preview_content.h"

class KPThemableView;
class QKeyEvent;

// The screen that controls the preview panel answers these.
class SWPreviewPanelController {
public:
    virtual ~SWPreviewPanelController() = default;
    // The entry to show now (may be null: nothing to show).
    virtual QSScannedFilePtr previewItem() = 0;
    // Key presses and releases that reach the panel go to the screen's list, so the arrow
    // keys move through the entries while the panel is open; answers whether it was
    // handled.
    virtual bool previewPanelHandleKeyEvent(QKeyEvent* event) = 0;
};

// A quick look at one entry of a list: in the desktop's own previewer when it offers
// one, else in a tool window of ours that shows images, the first page of a PDF, the
// beginning of a text, audio and video, and the facts of anything else.
class SWPreviewPanel : public QWidget {
    Q_OBJECT
public:
    using Kind = SWPreviewKind;

    // The panel asks for the desktop's previewer on that bus.
    explicit SWPreviewPanel(const QDBusConnection& bus, QWidget* parent = nullptr);
    ~SWPreviewPanel() override;

    // The program's panel, on the session bus: created on first use, deleted at quit.
    static SWPreviewPanel* sharedPreviewPanel();
    // Null when never created.
    static SWPreviewPanel* existingPreviewPanel();

    // Null ends control, and closes the panel: there is nothing left to show.
    void setController(SWPreviewPanelController* controller);
    SWPreviewPanelController* controller() const { return controller_; }

    // Asks the controller for the entry, shows it and brings the panel to the front.
    void makeKeyAndOrderFront();
    // Hides the panel, stopping any playback and freeing what it showed.
    void orderOut();
    // Shown: our window, or the desktop's previewer showing our entry.
    bool isPanelVisible() const;
    // Asks the controller again (its selection moved).
    void reloadData();

    // What is shown now; None while the desktop's previewer shows the entry.
    Kind shownKind() const;
    SWPreviewContent* content() const { return content_; }
    // The path of the entry our window shows; empty when it shows none.
    QString shownPath() const;
    bool usesDesktopPreviewer() const { return usesDesktopPreviewer_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showItem(const QSScannedFilePtr& item);
    void showInOwnWindow();
    void clearContent();
    bool forwardKey(QKeyEvent* event);

    SWPreviewPanelController* controller_ = nullptr;
    SWDesktopPreviewer previewer_;
    bool usesDesktopPreviewer_ = false;
    KPThemableView* background_;
    SWPreviewContent* content_ = nullptr;
    std::weak_ptr<QSScannedFile> shownItem_;
};
