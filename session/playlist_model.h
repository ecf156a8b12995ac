#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <utility>
#include <vector>

class PlaylistCatalogue;
struct RecordingEntry;

// The play list as the list view shows it: a number column (a '*' before the number of a
// locked recording, a '!' before that of another the camera marked as an event), the name (its
// tip the whole name, which the view may shorten; a moment of several channels ends with their
// letters, "[F R I]") and the recording's time. A repaired copy of a cut-off recording says so
// in its tip. Rows are numbered from 1 without gaps, whatever was deleted.
class PlaylistModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NumberColumn = 0, NameColumn = 1, TimeColumn = 2, ColumnCount = 3 };
    enum Role {
        TripStartRole = Qt::UserRole + 1,  // bool: the row starts a trip
        PlayingRole,                       // bool: the row is the recording open
        LockedRole,                        // bool: the recording is read-only
        EventRole,                         // bool: the camera marked it as an event
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
        int number = 0;  // as shown; renumbered once a removal is over
        bool tripStart = false;
        QString tripTip;
    };
    static RowMarks numbered(int row);  // the marks of a row as first listed

    void connectList();
    void changeRow(int row);
    void changeAll();
    QString numberText(int row) const;
    static QString channelLetters(const RecordingEntry& node);
    static QString nameText(const RecordingEntry& node);
    static QVariant toolTip(int column, const RecordingEntry& node, const RowMarks& marks);

    PlaylistCatalogue& m_list;
    std::vector<RowMarks> m_marks;
    int m_playingRow = -1;
};
