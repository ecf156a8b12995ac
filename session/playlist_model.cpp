#include "session/playlist_model.h"

#include <QStringList>

#include "repair/recording_repair.h"
#include "session/playlist_catalogue.h"
#include "telemetry/recording_entry.h"

PlaylistModel::PlaylistModel(PlaylistCatalogue& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list)
{
    for (int row = 0; row < m_list.count(); ++row) {
        m_marks.push_back(numbered(row));
    }
    connectList();
}

PlaylistModel::RowMarks PlaylistModel::numbered(int row)
{
    RowMarks marks;
    marks.number = row + 1;
    return marks;
}

void PlaylistModel::connectList()
{
    connect(&m_list, &PlaylistCatalogue::entryAboutToBeAdded, this,
            [this](int row) { beginInsertRows({}, row, row); });
    connect(&m_list, &PlaylistCatalogue::entryAdded, this, [this](int row) {
        m_marks.insert(m_marks.begin() + row, numbered(row));
        endInsertRows();
    });
    connect(&m_list, &PlaylistCatalogue::entryAboutToBeRemoved, this,
            [this](int row) { beginRemoveRows({}, row, row); });
    connect(&m_list, &PlaylistCatalogue::entryRemoved, this, [this](int row) {
        m_marks.erase(m_marks.begin() + row);
        if (m_playingRow == row) {
            m_playingRow = -1;
        } else if (m_playingRow > row) {
            --m_playingRow;
        }
        endRemoveRows();
        // The rows below moved up: their numbers follow, so that none is missing.
        for (size_t below = static_cast<size_t>(row); below < m_marks.size(); ++below) {
            m_marks[below].number = static_cast<int>(below) + 1;
        }
        if (row < rowCount()) {
            emit dataChanged(index(row, NumberColumn), index(rowCount() - 1, NumberColumn));
        }
    });
    connect(&m_list, &PlaylistCatalogue::aboutToBeCleared, this, [this] { beginResetModel(); });
    connect(&m_list, &PlaylistCatalogue::cleared, this, [this] {
        m_marks.clear();
        m_playingRow = -1;
        endResetModel();
    });
    connect(&m_list, &PlaylistCatalogue::lockChanged, this, [this](int row) { changeRow(row); });
    connect(&m_list, &PlaylistCatalogue::entryChanged, this, [this](int row) { changeRow(row); });
}

int PlaylistModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_marks.size());
}

int PlaylistModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString PlaylistModel::numberText(int row) const
{
    const RecordingEntry& node = m_list.entryAt(row);
    const QChar mark = node.locked    ? QLatin1Char('*')
                       : node.event() ? QLatin1Char('!')
                                      : QLatin1Char(' ');
    return mark + QString::number(m_marks[static_cast<size_t>(row)].number);
}

QString PlaylistModel::channelLetters(const RecordingEntry& node)
{
    QStringList letters;
    for (const ChannelEntry& channel : node.channels) {
        letters << QChar::fromLatin1(static_cast<char>(channel.channel));
    }
    return letters.join(QLatin1Char(' '));
}

// The letters follow the name, where the view's shortening in the middle leaves them.
QString PlaylistModel::nameText(const RecordingEntry& node)
{
    const QString name = QString::fromStdString(node.displayName);
    return node.channels.size() < 2 ? name
                                    : QStringLiteral("%1 [%2]").arg(name, channelLetters(node));
}

// The name's tip is the whole name (the view shortens a long one), and the first row of a
// trip tells of the trip on every cell.
QVariant PlaylistModel::toolTip(int column, const RecordingEntry& node, const RowMarks& marks)
{
    QStringList lines;
    if (column == NameColumn) {
        lines << QString::fromStdString(node.displayName);
        for (size_t i = 1; i < node.channels.size(); ++i) {
            lines
                << QString::fromStdString(node.channels[i].filePath).section(QLatin1Char('/'), -1);
        }
    }
    if (column == NumberColumn && node.event()) {
        lines << (node.markedEvent ? QStringLiteral("Event recording")
                                   : QStringLiteral("Locked: kept as an event"));
    }
    if (marks.tripStart) {
        lines << marks.tripTip;
    }
    if (isRepairedCopyName(node.filePath)) {
        lines << QStringLiteral("Repaired copy of a recording that was cut off");
    }
    return lines.isEmpty() ? QVariant() : QVariant(lines.join(QLatin1Char('\n')));
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const int row = index.row();
    const RowMarks& marks = m_marks[static_cast<size_t>(row)];
    const RecordingEntry& node = m_list.entryAt(row);
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case NumberColumn: return numberText(row);
        case NameColumn: return nameText(node);
        default: return QString::fromStdString(node.timeText);
        }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            (index.column() == NumberColumn ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    case Qt::ToolTipRole: return toolTip(index.column(), node, marks);
    case TripStartRole: return marks.tripStart;
    case PlayingRole: return row == m_playingRow;
    case LockedRole: return node.locked;
    case EventRole: return node.event();
    default: return {};
    }
}

QVariant PlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case NumberColumn: return QStringLiteral("No.");
    case NameColumn: return QStringLiteral("Files");
    case TimeColumn: return QStringLiteral("Time");
    default: return {};
    }
}

void PlaylistModel::setTripStarts(const std::vector<std::pair<int, QString>>& starts)
{
    for (RowMarks& marks : m_marks) {
        marks.tripStart = false;
        marks.tripTip.clear();
    }
    for (const auto& [row, tip] : starts) {
        if (row >= 0 && row < rowCount()) {
            m_marks[static_cast<size_t>(row)].tripStart = true;
            m_marks[static_cast<size_t>(row)].tripTip = tip;
        }
    }
    changeAll();
}

void PlaylistModel::setPlayingRow(int row)
{
    const int before = m_playingRow;
    m_playingRow = row >= 0 && row < rowCount() ? row : -1;
    if (before >= 0) {
        changeRow(before);
    }
    if (m_playingRow >= 0 && m_playingRow != before) {
        changeRow(m_playingRow);
    }
}

void PlaylistModel::changeRow(int row)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void PlaylistModel::changeAll()
{
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    }
}
