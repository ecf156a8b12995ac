#include "app/recording_repairer.h"

#include <QFile>
#include <QThread>

#include <memory>
#include <optional>
#include <string>

#include "repair/recording_repair.h"

RecordingRepairer::~RecordingRepairer()
{
    if (m_thread != nullptr) {
        m_thread->wait();
        delete m_thread;
    }
}

bool RecordingRepairer::start(const QString& path)
{
    if (busy()) {
        return false;
    }
    struct Outcome
    {
        std::optional<std::string> copy;
        std::string reason;
    };
    auto outcome = std::make_shared<Outcome>();
    const std::string damaged = QFile::encodeName(path).toStdString();
    m_thread = QThread::create([outcome, damaged] {
        outcome->copy = repairRecording({damaged, {}, {}}, outcome->reason);
    });
    connect(m_thread, &QThread::finished, this, [this, outcome] {
        m_thread->deleteLater();
        m_thread = nullptr;
        if (outcome->copy) {
            emit repaired(QFile::decodeName(outcome->copy->c_str()));
        } else {
            emit failed(QString::fromStdString(outcome->reason));
        }
    });
    m_thread->start(QThread::LowPriority);
    return true;
}
