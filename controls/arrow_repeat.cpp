#include "arrow_repeat.h"

#include <utility>

CArrowRepeat::CArrowRepeat(QObject* owner, std::function<bool()> held,
                           std::function<void()> step)
    : delay(new QTimer(owner)), repeat(new QTimer(owner))
{
    delay->setObjectName(QStringLiteral("arrowDelayTimer"));
    repeat->setObjectName(QStringLiteral("arrowRepeatTimer"));
    delay->setInterval(kDelayMs);
    repeat->setInterval(kRepeatMs);
    delay->setTimerType(Qt::PreciseTimer);
    repeat->setTimerType(Qt::PreciseTimer);
    QObject::connect(delay, &QTimer::timeout, owner, [this, held = std::move(held)] {
        if (!held())
            return;
        delay->stop();
        repeat->start();
    });
    QObject::connect(repeat, &QTimer::timeout, owner, std::move(step));
}

void CArrowRepeat::Start()
{
    delay->start();
}

void CArrowRepeat::Stop()
{
    repeat->stop();
    delay->stop();
}
