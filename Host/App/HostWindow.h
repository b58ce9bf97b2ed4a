// HostWindow: the reference host's application window.
//
// A main window showing the open log as a table sortable by any column (LogTableModel.h), a
// status bar with the log's counts (QSOs, uploaded, confirmed, with grid, with IOTA), a "File"
// menu (Import ADIF..., Export ADIF..., Quit) and a "Plugins" menu built from the plug-ins'
// menu items. The window's size and the table's columns (widths, order, sorting) are restored
// from the settings file's section "refhost window" and kept there when the window closes. It
// owns the host's two icons (made at construction, destroyed with the window). Choosing a menu
// item runs the item's listener; a failing status is shown in a message box and printed.
// Reload() reads the log and its counts again (the host does so on "REFRESH"). A window that
// nobody reads (a headless verification) can leave the table empty: for a large log the listing
// is most of the host's memory and a good part of a REFRESH's time. Host thread only.
#pragma once

#include "Host/App/LogTableModel.h"
#include "Host/HostMenu.h"
#include "Host/Logbook.h"

#include "Platform/PlatformTypes.h"

#include <QMainWindow>

class QLabel;
class QMenu;
class QTableView;

namespace RefHost {

// Whether the window's table lists the open log's QSOs.
enum class TLogListing { Listed, Unlisted };

class THostWindow : public QMainWindow {
public:
    // `settingsPath` is the host's settings file.
    THostWindow(TLogbook& logbook, std::u16string logKey, const QString& logName,
                TLogListing listing, const std::string& settingsPath);
    ~THostWindow() override;

    // The window's native handle: the owner of the plug-ins' windows.
    HWND Handle();
    HICON SmallIcon() const { return FSmallIcon; }
    HICON LargeIcon() const { return FLargeIcon; }

    // The menu to show; rebuilt by RebuildMenu().
    void SetMenuSource(THostMenu* menu) { FMenuSource = menu; }
    void RebuildMenu();
    // Reads the log into the table; nothing for an unlisted window.
    void Reload();
    // The status bar's counts.
    QString CountsText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus(); // File and the (empty) Plugins menu
    void BuildTable(); // the sorted log table, columns sized from sample texts
    void Choose(THostMenuItem* item);
    void ImportAdif();
    void ExportAdif();
    void RestoreLayout();
    void SaveLayout();

    TLogbook& FLogbook;
    std::u16string FLogKey;
    TLogListing FListing;
    std::string FSettingsPath;
    TLogTableModel* FModel;
    QTableView* FTable;
    QLabel* FCounts;
    QMenu* FPlugins;
    THostMenu* FMenuSource = nullptr;
    HICON FSmallIcon = nullptr;
    HICON FLargeIcon = nullptr;
};

} // namespace RefHost
