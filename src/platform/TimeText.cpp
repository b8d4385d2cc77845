#include "platform/TimeText.h"

QString timeTextFromSeconds(int64_t seconds)
{
    if (seconds < 0) seconds = 0;
    const int64_t h = seconds / 3600;
    const int64_t m = (seconds - h * 3600) / 60;
    const int64_t s = seconds % 60;
    return QString("%1:%2:%3")
        .arg(h, 2, 10, QChar('0'))
        .arg(m, 2, 10, QChar('0'))
        .arg(s, 2, 10, QChar('0'));
}

QString timeTextFromMs(int64_t milliseconds)
{
    return timeTextFromSeconds(milliseconds / 1000);
}
