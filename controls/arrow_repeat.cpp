#include "controls/arrow_repeat.h"

#include <utility>

ArrowRepeat::ArrowRepeat(QObject* owner, std::function<bool()> held, std::function<void()> step)
    : m_delay(new QTimer(owner)), m_repeat(new QTimer(owner))
{
    m_delay->setObjectName(QStringLiteral("arrowDelayTimer"));
    m_repeat->setObjectName(QStringLiteral("arrowRepeatTimer"));
    m_delay->setInterval(kDelayMs);
    m_repeat->setInterval(kRepeatMs);
    m_delay->setTimerType(Qt::PreciseTimer);
    m_repeat->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_delay, &QTimer::timeout, owner, [this, held = std::move(held)] {
        if (!held()) {
            return;
        }
        m_delay->stop();
        m_repeat->start();
    });
    QObject::connect(m_repeat, &QTimer::timeout, owner, std::move(step));
}

void ArrowRepeat::start()
{
    m_delay->start();
}

void ArrowRepeat::stop()
{
    m_repeat->stop();
    m_delay->stop();
}
