// LogTableModel: the open log's QSOs as the window's table shows them.
//
// One row per QSO with the columns call, date and time (UTC, "yyyy-mm-dd hh:mm:ss"), band,
// mode, IOTA, grid square, uploaded to LoTW and confirmed there (a check mark when set), and
// the confirmation's date. The sort role (Qt::UserRole) gives values that order correctly: the
// text for text columns, 0 or 1 for the marks. Load() reads the log again and counts what the
// status bar shows. Host thread only.
#pragma once

#include "Host/Logbook.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace RefHost {

// What the status bar tells of a log.
struct TLogCounts {
    long Qsos = 0;
    long Uploaded = 0;
    long Confirmed = 0;
    long WithGrid = 0;
    long WithIota = 0;
};

class TLogTableModel : public QAbstractTableModel {
public:
    enum TColumn { Call, Date, Band, Mode, Iota, Grid, Uploaded, Confirmed, ConfirmedOn, Columns };

    using QAbstractTableModel::QAbstractTableModel;

    // Reads the log `logName` of `logbook`; throws the logbook's EHostError (the table is then
    // empty).
    void Load(TLogbook& logbook, const std::u16string& logName);
    const TLogCounts& Counts() const { return FCounts; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct TRow {
        QString Call;
        QString Date;
        QString Band;
        QString Mode;
        QString Iota;
        QString Grid;
        bool Uploaded = false;
        bool Confirmed = false;
        QString ConfirmedOn;
    };

    std::vector<TRow> FRows;
    TLogCounts FCounts;
};

} // namespace RefHost
