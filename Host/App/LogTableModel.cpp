#include "Host/App/LogTableModel.h"

namespace RefHost {

namespace {

QString Text(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

QString DateText(const TLogDateTime& date) {
    return QString::fromStdString(date.StoredText());
}

} // namespace

void TLogTableModel::Load(TLogbook& logbook, const std::u16string& logName) {
    beginResetModel();
    FRows.clear();
    FCounts = {};
    try {
        logbook.ForEachQso(logName, [this](const TQsoRecord& qso) {
            FRows.push_back({Text(qso.Call), DateText(qso.QsoDate), Text(qso.Band), Text(qso.Mode),
                             Text(qso.Iota), Text(qso.GridSquare), qso.LotwSent, qso.LotwRcvd,
                             qso.LotwRcvdDate ? DateText(*qso.LotwRcvdDate).left(10) : QString()});
            ++FCounts.Qsos;
            FCounts.Uploaded += qso.LotwSent;
            FCounts.Confirmed += qso.LotwRcvd;
            FCounts.WithGrid += !qso.GridSquare.empty();
            FCounts.WithIota += !qso.Iota.empty();
        });
    } catch (...) {
        FRows.clear();
        FCounts = {};
        endResetModel();
        throw;
    }
    endResetModel();
}

int TLogTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TLogTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant TLogTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TRow& row = FRows[static_cast<std::size_t>(index.row())];
    const bool mark = index.column() == Uploaded || index.column() == Confirmed;
    if (role == Qt::TextAlignmentRole && mark)
        return QVariant::fromValue(Qt::AlignCenter);
    if (role != Qt::DisplayRole && role != Qt::UserRole)
        return {};
    if (mark) {
        const bool set = index.column() == Uploaded ? row.Uploaded : row.Confirmed;
        if (role == Qt::UserRole)
            return set ? 1 : 0;
        return set ? QStringLiteral("\u2713") : QString();
    }
    switch (index.column()) {
    case Call:
        return row.Call;
    case Date:
        return row.Date;
    case Band:
        return row.Band;
    case Mode:
        return row.Mode;
    case Iota:
        return row.Iota;
    case Grid:
        return row.Grid;
    case ConfirmedOn:
        return row.ConfirmedOn;
    default:
        return {};
    }
}

QVariant TLogTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QString Titles[Columns] = {
        QStringLiteral("Call"),        QStringLiteral("Date and time (UTC)"),
        QStringLiteral("Band"),        QStringLiteral("Mode"),
        QStringLiteral("IOTA"),        QStringLiteral("Grid"),
        QStringLiteral("LoTW sent"),   QStringLiteral("LoTW confirmed"),
        QStringLiteral("Confirmed on")};
    return section >= 0 && section < Columns ? Titles[section] : QVariant();
}

} // namespace RefHost
