#pragma once
// Small helpers shared by the component tests: the error a call raises, and
// whole files as bytes.

#include "platform/Error.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

// Runs call and returns the TamselError message, or fails when none is raised.
template <typename Call>
QString errorOf(Call&& call)
{
    try {
        call();
    } catch (const TamselError& e) {
        return e.message();
    }
    ADD_FAILURE() << "no TamselError raised";
    return {};
}

inline QByteArray readBytes(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) ADD_FAILURE() << "cannot read " << file.toStdString();
    return f.readAll();
}

inline void writeBytes(const QString& file, const QByteArray& data)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
        ADD_FAILURE() << "cannot write " << file.toStdString();
}
