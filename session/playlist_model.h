#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <utility>
#include <vector>

class PlaylistCatalogue;

// The play list as the list view shows it: a number column (a '*' before the number of a
// locked recording), the name and the recording's time. A row's number is the one it had
// when it was listed or last locked or unlocked; deleting rows above does not renumber it.
class PlaylistModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NumberColumn = 0, NameColumn = 1, TimeColumn = 2, ColumnCount = 3 };
    enum Role {
        TripStartRole = Qt::UserRole + 1,  // bool: the row starts a trip
        PlayingRole,                       // bool: the row is the recording open
        LockedRole,                        // bool: the recording is read-only
    };

    explicit PlaylistModel(PlaylistCatalogue& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Rows that start a trip, each with its tip; every other row loses both.
    void setTripStarts(const std::vector<std::pair<int, QString>>& starts);
    // -1: nothing open.
    void setPlayingRow(int row);
    int playingRow() const { return m_playingRow; }

private:
    struct RowMarks
    {
        int number = 0;
        bool tripStart = false;
        QString tripTip;
    };

    void connectList();
    void changeRow(int row);
    void changeAll();
    QString numberText(int row) const;

    PlaylistCatalogue& m_list;
    std::vector<RowMarks> m_marks;
    int m_playingRow = -1;
};
