#include "Host/App/HostWindow.h"

#include "Host/HostError.h"
#include "Host/LoadedPlugin.h"

#include "Platform/Icons.h"
#include "Platform/qt/WindowHandle.h"

#include <QBuffer>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QStandardItemModel>
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

HICON MakeIcon(const QPixmap& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Platform::CreateIconFromImageData(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                             static_cast<std::size_t>(png.size()));
}

QString Shown(const TSqlValue& value) {
    if (auto* text = std::get_if<std::u16string>(&value))
        return QString::fromStdU16String(*text);
    if (auto* integer = std::get_if<std::int64_t>(&value))
        return QString::number(*integer);
    if (auto* real = std::get_if<double>(&value))
        return QString::number(*real);
    return {};
}

} // namespace

THostWindow::THostWindow(TLogbook& logbook, std::u16string logKey, const QString& logName,
                         TLogListing listing)
    : FLogbook(logbook), FLogKey(std::move(logKey)), FListing(listing),
      FModel(new QStandardItemModel(this)),
      FPlugins(menuBar()->addMenu(QStringLiteral("&Plugins"))) {
    setWindowTitle(QStringLiteral("refhost - %1").arg(logName));
    const QPixmap small = IconImage(16);
    const QPixmap large = IconImage(32);
    QIcon icon;
    icon.addPixmap(small);
    icon.addPixmap(large);
    setWindowIcon(icon);
    FSmallIcon = MakeIcon(small);
    FLargeIcon = MakeIcon(large);

    auto* table = new QTableView(this);
    table->setModel(FModel);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();
    setCentralWidget(table);
    resize(900, 500);
    Reload();
}

THostWindow::~THostWindow() {
    Platform::DestroyIcon(FSmallIcon);
    Platform::DestroyIcon(FLargeIcon);
}

HWND THostWindow::Handle() {
    winId(); // makes the native window
    return Platform::HandleOfWindow(windowHandle());
}

void THostWindow::Reload() {
    if (FListing == TLogListing::Unlisted)
        return;
    // The key goes in as a bound value; nothing of it becomes SQL text.
    TSqlStatement statement{TSqlStatementKind::Select,
                            u"SELECT OMCALL AS \"Call\", QSODATE AS \"Date\", QSOBAND AS \"Band\", "
                            u"QSOMODE AS \"Mode\", IOTA AS \"IOTA\", GRIDSQUARE AS \"Grid\", "
                            u"LOTWSENT AS \"LotW/S\", LOTWRCVD AS \"LotW/R\", LOTWRCVDDATE AS "
                            u"\"LotW date\" FROM LOGS WHERE LOGNAME=? ORDER BY QSODATE, ID",
                            {FLogKey}};
    try {
        const auto result = FLogbook.Query(statement);
        FModel->clear();
        QStringList headers;
        for (const auto& column : result.Columns)
            headers << QString::fromStdU16String(column);
        FModel->setHorizontalHeaderLabels(headers);
        for (const auto& row : result.Rows) {
            QList<QStandardItem*> cells;
            for (const auto& value : row)
                cells << new QStandardItem(Shown(value));
            FModel->appendRow(cells);
        }
    } catch (const EHostError& e) {
        std::cerr << "refhost: " << e.what() << std::endl;
    }
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
