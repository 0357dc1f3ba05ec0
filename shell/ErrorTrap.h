#pragma once

#include "shell/ErrorReport.h"
#include "shell/Failure.h"

#include <QString>

#include <exception>
#include <new>
#include <utility>

// The uniform error trap. A trapped procedure creates one at its start and runs
// each numbered step through it. When a step fails, the report is shown with the
// step's number and the procedure goes on with the next step; the trap stays
// armed for later failures of the same run.
//
// A failure thrown from a callee without a trap of its own surfaces in the
// calling step and is reported under the caller's tag and step; a callee with a
// trap reports its own failures and its caller sees none.
class ErrorTrap {
public:
    ErrorTrap(ErrorReporter& reporter, QString tag) : reporter_(reporter), tag_(std::move(tag)) {}

    // Runs one step. Returns false when it failed (after the report).
    template <class Step> bool step(int line, Step&& body) {
        line_ = line;
        return guard(
            [&] {
                std::forward<Step>(body)();
                return true;
            },
            false);
    }

    // The test of a conditional. A failed test counts as met, so the procedure
    // goes on with the first step inside the conditional.
    template <class Test> bool test(int line, Test&& condition) {
        line_ = line;
        return guard([&] { return static_cast<bool>(std::forward<Test>(condition)()); }, true);
    }

    // The advance of a counted loop: `next` moves the counter and answers whether
    // the loop goes on. A failed advance leaves the loop.
    template <class Advance> bool advance(int line, Advance&& next) {
        line_ = line;
        return guard([&] { return static_cast<bool>(std::forward<Advance>(next)()); }, false);
    }

    const QString& tag() const { return tag_; }
    int line() const { return line_; }

private:
    template <class Body> bool guard(Body&& body, bool onFailure) {
        QString description;
        try {
            return body();
        } catch (const Failure& failure) {
            description = failure.description();
        } catch (const std::bad_alloc&) {
            description = QStringLiteral("Out of memory");
        } catch (const std::exception& error) {
            description = QString::fromLocal8Bit(error.what());
        }
        reporter_.ErrorReport(description, tag_, line_);
        return onFailure;
    }

    ErrorReporter& reporter_;
    QString tag_;
    int line_ = 0;
};
