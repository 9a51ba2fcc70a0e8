#include "services/globals.h"
#include "treatments/timeday.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <gtest/gtest.h>

using namespace tav;

TEST(TimeWindow, ShowsTheMinutesLeftInLargeType)
{
    MinutesLeftToday = 167;
    TimeDay* w = TimeDay::showShared();
    EXPECT_EQ(w->windowTitle(), QString("Време"));
    EXPECT_EQ(w->label()->text(), QString("167"));
    EXPECT_GE(w->label()->font().pointSize(), 72);
    // Only its own events read the minutes again.
    MinutesLeftToday = -45;
    EXPECT_EQ(w->label()->text(), QString("167"));
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(w, &activate);
    EXPECT_EQ(w->label()->text(), QString("-45"));
    // The number fits the window.
    EXPECT_LE(w->label()->fontMetrics().horizontalAdvance("-145"), w->width());
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    if (!dir.isEmpty())
        w->grab().save(QDir(dir).filePath("timeday.png"));
    // Hidden, it stays; closed, it goes and says so.
    int closed = 0;
    TimeDay::setClosedHandler([&] { ++closed; });
    TimeDay::hideShared();
    EXPECT_EQ(TimeDay::instance(), w);
    EXPECT_EQ(closed, 0);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(TimeDay::instance(), nullptr);
    EXPECT_EQ(closed, 1);
    TimeDay::setClosedHandler({});
}
