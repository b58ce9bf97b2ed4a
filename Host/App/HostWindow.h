// HostWindow: the reference host's application window.
//
// A main window showing the open log's QSOs as a table (call, date, band, mode, IOTA, grid
// square and the LoTW columns) and a "Plugins" menu built from the plug-ins' menu items. It
// owns the host's two icons (made at construction, destroyed with the window). Choosing a menu
// item runs the item's listener; a failing status is shown in a message box and printed.
// Reload() reads the log again (the host does so on "REFRESH"). A window that nobody reads (a
// headless verification) can leave the table empty: for a large log the listing is most of
// the host's memory and a good part of a REFRESH's time. Host thread only.
#pragma once

#include "Host/HostMenu.h"
#include "Host/Logbook.h"

#include "Platform/PlatformTypes.h"

#include <QMainWindow>

class QMenu;
class QStandardItemModel;

namespace RefHost {

// Whether the window's table lists the open log's QSOs.
enum class TLogListing { Listed, Unlisted };

class THostWindow : public QMainWindow {
public:
    THostWindow(TLogbook& logbook, std::u16string logKey, const QString& logName,
                TLogListing listing);
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

private:
    void Choose(THostMenuItem* item);

    TLogbook& FLogbook;
    std::u16string FLogKey;
    TLogListing FListing;
    QStandardItemModel* FModel;
    QMenu* FPlugins;
    THostMenu* FMenuSource = nullptr;
    HICON FSmallIcon = nullptr;
    HICON FLargeIcon = nullptr;
};

} // namespace RefHost
