#pragma once

#include <QHash>
#include <QSet>
#include <QStandardItemModel>
#include <QWidget>

#include <functional>

#include "app/library_places.h"
#include "app/library_worker.h"

class QLabel;
class QSplitter;
class QStandardItem;
class QTreeView;

// The library beside the play list: a window of its own with the recordings by day and,
// within a day, by trip. The days come first; a day's recordings are read when it is
// opened, on a worker of the view's own, so the window never waits. A selected recording
// shows its details, and its stored track goes to the map, whether its file is there or not.
class LibraryView : public QWidget
{
    Q_OBJECT
public:
    // cards: the cards mounted now, asked whenever recordings are placed.
    explicit LibraryView(std::function<MountedCards()> cards, QWidget* parent = nullptr);
    ~LibraryView() override;

    // Opens the library at the location (again when it changed) and reads its days afresh;
    // the days open before are opened again.
    void load(const QString& location);
    // A card came or went: the recordings shown are placed again.
    void cardsChanged();

    QTreeView* tree() const { return m_tree; }
    QString detailsText() const;
    QString stateText() const;

signals:
    void daysShown();
    void dayShown(const QDate& day);
    // A recording was selected: its stored track (no points when it has none).
    void trackChosen(const StoredTrack& track);
    // A recording was double-clicked.
    void playAsked(const PlacedRecording& recording);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showDays(const std::vector<LibraryDay>& days, const QString& error);
    void showDay(const QDate& day, const std::vector<PlacedRecording>& recordings,
                 const QString& error);
    void onExpanded(const QModelIndex& index);
    void onCurrentChanged(const QModelIndex& index);
    void onDoubleClicked(const QModelIndex& index);
    void takePlaces(const std::vector<PlacedRecording>& recordings);
    QStandardItem* recordingItem(const PlacedRecording& placed);
    const PlacedRecording* recordingAt(const QModelIndex& index) const;
    void setState(const QString& text);

    std::function<MountedCards()> m_cards;
    LibraryWorker m_worker;
    QString m_location;
    bool m_opened = false;  // asked to open at least once
    QStandardItemModel m_model;
    QTreeView* m_tree = nullptr;
    QLabel* m_details = nullptr;
    QSplitter* m_splitter = nullptr;  // the tree beside the details, or over them when narrow
    QLabel* m_state = nullptr;
    QHash<qint64, QStandardItem*> m_dayItems;        // by Julian day; -1: the undated
    QSet<qint64> m_openDays;                         // opened by the user: opened again on a reload
    QHash<qlonglong, PlacedRecording> m_recordings;  // of the days read, by id
    QHash<qlonglong, QStandardItem*> m_recordingItems;
    qlonglong m_selected = -1;
};
