#pragma once

#include <QDateTime>
#include <QDialog>
#include <QFutureWatcher>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

#include "library/library.h"

class QDateTimeEdit;
class QLabel;
class QPushButton;
class QTreeWidget;

// What a question to the library came to.
struct LibraryAnswer
{
    std::vector<LibraryHit> hits;
    // The stored details of the hits' recordings (their cards), by id: a recording whose card
    // is out plays when the card comes back.
    QHash<qlonglong, LibraryRecording> recordings;
    QString error;  // the library did not open, or the question failed
};

// A question asked of an open library; sets the error when it fails.
using LibraryQuestion = std::function<std::vector<LibraryHit>(Library&, QString&)>;

// Opens the library at the location (a file, or a server's URL) with a connection of its
// own and asks the question: for a worker thread, which owns the library object throughout.
// A library file that does not exist yet is not made by asking: the answer says so.
LibraryAnswer askLibrary(const QString& location, const LibraryQuestion& question);

// One of the library's two questions and its answer, in a dialog that stays open beside the
// window: which recordings passed within R metres of a place (newest first, with the local
// time of the closest approach and its distance), or where the car was at a local date and
// time. The question runs on a worker with its own library connection; "Searching..."
// shows meanwhile, and an answer outdated by a newer question, or by the dialog's end, is
// dropped, never waited for. A double-click on a recording, or Play, asks for it to play
// from its moment.
class LibraryDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Question { PassedHere, WhereAt };

    // location: where the library lives (a file path or a server's URL).
    LibraryDialog(Question question, QString location, QWidget* parent = nullptr);
    ~LibraryDialog() override;

    Question question() const { return m_question; }
    const QString& location() const { return m_location; }
    void askPassedHere(double latitude, double longitude, double metres);
    // The moment in the edit box (local time).
    void askWhereAt();
    QDateTimeEdit* momentEdit() const { return m_moment; }

    bool searching() const { return m_searching; }
    QString stateText() const;
    // The recordings of the last answer, in the list's order.
    const std::vector<LibraryHit>& hits() const { return m_hits; }
    QTreeWidget* hitList() const { return m_list; }

signals:
    // The last question is answered (hits() holds the recordings).
    void answered();
    // A recording chosen to play from its moment (UTC ms since 1970), when known.
    void recordingChosen(const LibraryRecording& recording, std::optional<qint64> utcMs);

private:
    void ask(const LibraryQuestion& question, const QString& asked);
    void takeAnswer();
    void fillList();
    void chooseRow(int row);

    Question m_question;
    QString m_location;
    QString m_asked;  // the question in words, for the answer's line
    std::vector<LibraryHit> m_hits;
    QHash<qlonglong, LibraryRecording> m_recordings;
    QDateTimeEdit* m_moment = nullptr;
    QTreeWidget* m_list = nullptr;
    QLabel* m_state = nullptr;
    QPushButton* m_play = nullptr;
    QFutureWatcher<LibraryAnswer> m_search;
    bool m_searching = false;
};
