#pragma once
// The one time-text format of the program: hours, minutes and seconds, each
// at least two digits, joined by ":"; hours are not limited to two digits.

#include <QString>
#include <cstdint>

QString timeTextFromSeconds(int64_t seconds);
// Fractions of a second are dropped.
QString timeTextFromMs(int64_t milliseconds);
