#pragma once

#include <QTimer>

#include <functional>

// The arrow timers of a skinned scroll bar: after a press, the delay timer waits 250 ms,
// then the repeat timer steps every 50 ms while the arrow is still held.
class ArrowRepeat
{
public:
    // held: an arrow is still pressed; step: one repeat step. Both timers are children of
    // `owner` ("arrowDelayTimer", "arrowRepeatTimer").
    ArrowRepeat(QObject* owner, std::function<bool()> held, std::function<void()> step);

    void start();  // the delay
    void stop();   // both timers

    static constexpr int kDelayMs = 250;
    static constexpr int kRepeatMs = 50;

private:
    QTimer* m_delay;
    QTimer* m_repeat;
};
