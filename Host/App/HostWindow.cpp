#include "Host/App/HostWindow.h"

#include "Host/AdifFiles.h"
#include "Host/AdifImport.h"
#include "Host/HostError.h"
#include "Host/LoadedPlugin.h"

#include "Platform/Files.h"
#include "Platform/Icons.h"
#include "Platform/IniFile.h"
#include "Platform/Locale.h"
#include "Platform/qt/ImageIcon.h"
#include "Platform/qt/WindowHandle.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QWindow>

#include <iostream>

namespace RefHost {

namespace {

// The host's icon at `size` pixels: a rounded square with the letter R.
QPixmap IconImage(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1F, 0x5F, 0x9F));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 5.0, size / 5.0);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(size * 3 / 4);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("R"));
    return pixmap;
}

constexpr char16_t LayoutSection[] = u"refhost window";
const QString AdifFilter = QStringLiteral("ADIF logs (*.adi *.adif *.ADI);;All files (*)");

// 12345 as "12,345" in the user's locale.
QString Count(long value) {
    return QLocale().toString(static_cast<qlonglong>(value));
}

} // namespace

THostWindow::THostWindow(TLogbook& logbook, std::u16string logKey, const QString& logName,
                         TLogListing listing, const std::string& settingsPath)
    : FLogbook(logbook), FLogKey(std::move(logKey)), FListing(listing), FSettingsPath(settingsPath),
      FModel(new TLogTableModel(this)), FTable(new QTableView(this)), FCounts(new QLabel(this)),
      FPlugins(nullptr) {
    setWindowTitle(QStringLiteral("refhost - %1").arg(logName));
    const QPixmap small = IconImage(16);
    const QPixmap large = IconImage(32);
    QIcon icon;
    icon.addPixmap(small);
    icon.addPixmap(large);
    setWindowIcon(icon);
    FSmallIcon = Platform::CreateIconFromImage(small.toImage());
    FLargeIcon = Platform::CreateIconFromImage(large.toImage());

    BuildMenus();
    BuildTable();
    setCentralWidget(FTable);
    statusBar()->addPermanentWidget(FCounts, 1);
    resize(980, 560);
    RestoreLayout();
    Reload();
}

THostWindow::~THostWindow() {
    Platform::DestroyIcon(FSmallIcon);
    Platform::DestroyIcon(FLargeIcon);
}

void THostWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Import ADIF..."), this, &THostWindow::ImportAdif);
    file->addAction(QStringLiteral("&Export ADIF..."), this, &THostWindow::ExportAdif);
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    FPlugins = menuBar()->addMenu(QStringLiteral("&Plugins"));
}

void THostWindow::BuildTable() {
    auto* sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(FModel);
    sorted->setSortRole(Qt::UserRole);
    FTable->setModel(sorted);
    FTable->setSortingEnabled(true);
    FTable->sortByColumn(TLogTableModel::Date, Qt::AscendingOrder);
    FTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    FTable->setAlternatingRowColors(true);
    FTable->setWordWrap(false);
    FTable->verticalHeader()->hide();
    FTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* header = FTable->horizontalHeader();
    header->setSectionsMovable(true);
    header->setStretchLastSection(true);
    // Widths from sample texts: measuring every row of a large log would take long.
    const auto widthOf = [this](const QString& sample) {
        return fontMetrics().horizontalAdvance(sample) + 24;
    };
    const QString samples[TLogTableModel::Columns] = {
        QStringLiteral("VP2V/DL1ABC/P"), QStringLiteral("Date and time (UTC)__"),
        QStringLiteral("1.25CM"),        QStringLiteral("MFSK16"),
        QStringLiteral("EU-005"),        QStringLiteral("JO01AB"),
        QStringLiteral("LoTW sent"),     QStringLiteral("LoTW confirmed"),
        QStringLiteral("Confirmed on__")};
    for (int column = 0; column < TLogTableModel::Columns; ++column)
        header->resizeSection(column, widthOf(samples[column]));
}

HWND THostWindow::Handle() {
    winId(); // makes the native window
    return Platform::HandleOfWindow(windowHandle());
}

void THostWindow::Reload() {
    if (FListing == TLogListing::Unlisted)
        return;
    try {
        FModel->Load(FLogbook, FLogKey);
    } catch (const EHostError& e) {
        std::cerr << "refhost: " << e.what() << std::endl;
    }
    FCounts->setText(CountsText());
}

QString THostWindow::CountsText() const {
    const TLogCounts& counts = FModel->Counts();
    return QStringLiteral("%1 QSOs   |   uploaded to LoTW: %2   |   confirmed: %3   |   "
                          "with grid: %4   |   with IOTA: %5")
        .arg(Count(counts.Qsos), Count(counts.Uploaded), Count(counts.Confirmed),
             Count(counts.WithGrid), Count(counts.WithIota));
}

void THostWindow::ImportAdif() {
    const QStringList files =
        QFileDialog::getOpenFileNames(this, QStringLiteral("Import ADIF"), QString(), AdifFilter);
    if (files.isEmpty())
        return;
    std::vector<std::string> paths;
    for (const auto& file : files)
        paths.push_back(file.toStdString());
    try {
        const TImportSummary summary = ImportAdifFiles(FLogbook, FLogKey, paths);
        Reload();
        QMessageBox box(QMessageBox::Information, QStringLiteral("Import ADIF"),
                        QStringLiteral("Added %1 QSOs; %2 were already in the log; %3 records "
                                       "skipped.")
                            .arg(Count(static_cast<long>(summary.Added)),
                                 Count(static_cast<long>(summary.Read - summary.Added)),
                                 Count(static_cast<long>(summary.Skipped.size()))),
                        QMessageBox::Ok, this);
        QStringList skipped;
        for (const auto& line : summary.Skipped)
            skipped << QString::fromStdString(line);
        box.setDetailedText(skipped.join(QLatin1Char('\n')));
        box.exec();
    } catch (const std::runtime_error& e) {
        QMessageBox::warning(this, QStringLiteral("Import ADIF"),
                             QStringLiteral("Nothing was added: %1").arg(e.what()));
    }
}

void THostWindow::ExportAdif() {
    const QString file =
        QFileDialog::getSaveFileName(this, QStringLiteral("Export ADIF"),
                                     QString::fromStdU16String(FLogKey) + ".adi", AdifFilter);
    if (file.isEmpty())
        return;
    try {
        const std::size_t written = ExportAdifFile(FLogbook, FLogKey, file.toStdString());
        statusBar()->showMessage(
            QStringLiteral("Exported %1 QSOs to %2").arg(Count(static_cast<long>(written)), file),
            10000);
    } catch (const EHostError& e) {
        QMessageBox::warning(this, QStringLiteral("Export ADIF"), QString::fromUtf8(e.what()));
    }
}

void THostWindow::RestoreLayout() {
    Platform::TIniFile settings(Platform::Utf8ToUtf16(FSettingsPath));
    const int width =
        QString::fromStdU16String(settings.ReadString(LayoutSection, u"Width", u"")).toInt();
    const int height =
        QString::fromStdU16String(settings.ReadString(LayoutSection, u"Height", u"")).toInt();
    if (width > 0 && height > 0)
        resize(width, height);
    const QByteArray columns = QByteArray::fromBase64(
        QString::fromStdU16String(settings.ReadString(LayoutSection, u"Columns", u"")).toLatin1());
    if (!columns.isEmpty())
        FTable->horizontalHeader()->restoreState(columns);
}

void THostWindow::SaveLayout() {
    Platform::TIniFile settings(Platform::Utf8ToUtf16(FSettingsPath));
    const std::pair<const char16_t*, QString> values[] = {
        {u"Width", QString::number(width())},
        {u"Height", QString::number(height())},
        {u"Columns", QString::fromLatin1(FTable->horizontalHeader()->saveState().toBase64())}};
    for (const auto& [key, value] : values)
        if (int error = settings.WriteString(LayoutSection, key, value.toStdU16String())) {
            std::cerr << "refhost: cannot keep the window's layout in " << FSettingsPath << ": "
                      << Platform::Utf16ToUtf8(Platform::FileErrorText(error)) << std::endl;
            return;
        }
}

void THostWindow::closeEvent(QCloseEvent* event) {
    if (FListing == TLogListing::Listed)
        SaveLayout();
    QMainWindow::closeEvent(event);
}

void THostWindow::RebuildMenu() {
    FPlugins->clear();
    if (FMenuSource == nullptr)
        return;
    for (auto* item : FMenuSource->Items()) {
        QAction* action = FPlugins->addAction(QString::fromStdU16String(item->Caption()));
        action->setToolTip(QString::fromStdU16String(item->Hint()));
        action->setStatusTip(QString::fromStdU16String(item->Hint()));
        action->setEnabled(item->Enabled());
        // Deferred: the plug-in may change the menu while its listener runs.
        connect(action, &QAction::triggered, this,
                [this, item] { QTimer::singleShot(0, this, [this, item] { Choose(item); }); });
    }
    FPlugins->setEnabled(!FMenuSource->Items().empty());
}

void THostWindow::Choose(THostMenuItem* item) {
    const auto& items = FMenuSource->Items();
    if (std::find(items.begin(), items.end(), item) == items.end())
        return; // removed meanwhile
    const HRESULT status = item->Click();
    if (status < 0) {
        const std::string failure = DescribeFailure(status);
        std::cerr << "refhost: the plug-in command failed: " << failure << std::endl;
        QMessageBox::warning(this, QStringLiteral("Plug-in error"),
                             QString::fromStdString("The command failed: " + failure));
    }
}

} // namespace RefHost
