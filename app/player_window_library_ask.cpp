// The player window asks the library: which recordings passed a place, and where the car
// was at a moment; each answer in its own dialog beside the window.
#include "app/player_window.h"

#include "app/window_placement.h"

void PlayerWindow::askPassedHere(double latitude, double longitude, double metres)
{
    libraryDialog(LibraryDialog::Question::PassedHere)->askPassedHere(latitude, longitude, metres);
}

void PlayerWindow::showWhereAt()
{
    libraryDialog(LibraryDialog::Question::WhereAt);
}

// The question's dialog, shown: the one open, unless the library moved since it opened.
LibraryDialog* PlayerWindow::libraryDialog(LibraryDialog::Question question)
{
    QPointer<LibraryDialog>& kept =
        question == LibraryDialog::Question::PassedHere ? m_passedHereDialog : m_whereAtDialog;
    const QString location = libraryLocation();
    if (kept && kept->location() != location) {
        delete kept;
    }
    if (!kept) {
        kept = new LibraryDialog(question, location, this);
        kept->setAttribute(Qt::WA_DeleteOnClose);
        connect(kept, &LibraryDialog::recordingChosen, this, &PlayerWindow::playLibraryRecording);
        placeBeside(kept, this);
    }
    kept->show();
    kept->raise();
    return kept;
}
