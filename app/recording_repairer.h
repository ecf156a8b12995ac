#pragma once

#include <QObject>
#include <QString>

class QThread;

// Repairs a copy of a cut-off recording on a thread of its own, one at a time, and says
// how it went on the thread that started it.
class RecordingRepairer : public QObject
{
    Q_OBJECT

public:
    explicit RecordingRepairer(QObject* parent = nullptr) : QObject(parent) {}
    ~RecordingRepairer() override;  // waits for a repair under way: its file must be whole

    bool busy() const { return m_thread != nullptr; }
    // False when a repair is under way.
    bool start(const QString& path);

signals:
    void repaired(const QString& copy);
    void failed(const QString& reason);

private:
    QThread* m_thread = nullptr;
};
