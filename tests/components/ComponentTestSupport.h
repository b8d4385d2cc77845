#pragma once
// The message of the TamselError a call raises, shared by the component tests.

#include "platform/Error.h"

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
