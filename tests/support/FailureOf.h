#pragma once

#include "shell/Failure.h"

#include <QString>

#include <functional>

// The description of the Failure `action` throws; empty when it throws none.
inline QString failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Failure& failure) {
        return failure.description();
    }
    return {};
}
