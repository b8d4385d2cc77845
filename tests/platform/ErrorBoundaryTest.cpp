// The boundary between Qt and the program's handlers: every error reaches the
// one handler, boxes never pile up, and a failing handler keeps working.

#include "platform/Error.h"
#include "platform/ErrorBoundary.h"

#include <QObject>
#include <QStringList>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct HandlerScope {
    explicit HandlerScope(ErrorBoundary::Handler h) { ErrorBoundary::setHandler(std::move(h)); }
    ~HandlerScope() { ErrorBoundary::setHandler({}); }
};

}  // namespace

TEST(ErrorBoundary, EveryKindOfErrorReachesTheHandlerAndNothingEscapes)
{
    QStringList shown;
    HandlerScope scope([&](const QString& m) { shown << m; });
    ErrorBoundary::guard([] { throw TamselError("Cannot open take.wav"); });
    ErrorBoundary::guard([] { throw std::runtime_error("library said no"); });
    ErrorBoundary::guard([] { throw 42; });
    int calls = 0;
    ErrorBoundary::guard([&] { ++calls; });
    EXPECT_EQ(shown, (QStringList{"Cannot open take.wav", "library said no",
                                  "An unexpected error occurred."}));
    EXPECT_EQ(calls, 1);

    // A slot made from a member keeps its arguments.
    struct Receiver {
        int got = 0;
        void take(int v)
        {
            got = v;
            throw TamselError("took " + QString::number(v));
        }
    } receiver;
    auto slot = ErrorBoundary::guarded(&receiver, &Receiver::take);
    slot(7);
    EXPECT_EQ(receiver.got, 7);
    EXPECT_EQ(shown.last(), "took 7");
}

// The handler's box runs the event loop, where a failing recording would
// report again at every block: repeats are dropped, new messages wait.
TEST(ErrorBoundary, ErrorsWhileTheBoxIsOpenAreShownOnceEachAfterIt)
{
    QStringList shown;
    bool inBox = false;
    int nested = 0;
    HandlerScope scope([&](const QString& m) {
        EXPECT_FALSE(inBox) << "a second box opened over the first";
        inBox = true;
        shown << m;
        if (m == "disk full" && nested == 0) {
            for (int i = 0; i < 20; ++i) ErrorBoundary::report("disk full");
            ErrorBoundary::report("folder gone");
            ErrorBoundary::report("folder gone");
            ++nested;
        }
        inBox = false;
    });
    ErrorBoundary::report("disk full");
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(shown, (QStringList{"disk full", "folder gone"}));

    // Once the boxes are closed the same message is shown again.
    ErrorBoundary::report("disk full");
    EXPECT_EQ(shown.size(), 3);
}

TEST(ErrorBoundary, AHandlerThatFailsDoesNotSwitchErrorHandlingOff)
{
    QStringList shown;
    HandlerScope scope([&](const QString& m) {
        shown << m;
        if (m == "first") throw 1;  // not the program's own error type
        if (m == "second") throw std::logic_error("handler broke");
    });
    ErrorBoundary::report("first");
    ErrorBoundary::report("second");
    ErrorBoundary::report("third");
    EXPECT_EQ(shown, (QStringList{"first", "An unexpected error occurred.", "second",
                                  "handler broke", "third"}));
}
