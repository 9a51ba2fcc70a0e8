#include "services/ownedwindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

using namespace tav;

namespace {

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

} // namespace

TEST(OwnedWindow, AWindowTallerOrWiderThanTheScreenIsFittedOnIt)
{
    // A print preview is made for a large screen; on a small one its lower
    // part with the page's foot must not hang below the screen's edge.
    const QRect avail = available();
    QWidget owner;
    owner.resize(avail.width() / 2, avail.height() / 2);
    owner.show();
    struct Case {
        QSize wanted;
        QSize minimum;
        bool fitted;
    };
    const Case cases[] = {
        {avail.size() + QSize(200, 160), {}, true},           // both ways too large
        {QSize(avail.width() / 2, avail.height() + 100), {}, true}, // too tall only
        {avail.size() / 2, {}, true},                           // already fits, untouched
        {avail.size() + QSize(100, 100), avail.size() + QSize(100, 100), false}, // cannot shrink
    };
    for (const Case& c : cases) {
        auto w = std::make_unique<QWidget>();
        if (!c.minimum.isEmpty())
            w->setMinimumSize(c.minimum);
        w->resize(c.wanted);
        makeOwnedWindow(w.get(), &owner);
        fitOnScreen(w.get(), &owner);
        showOwnedWindow(w.get(), &owner);
        const QRect frame = w->frameGeometry();
        if (c.fitted) {
            EXPECT_TRUE(avail.contains(frame)) << c.wanted.width() << "x" << c.wanted.height();
            EXPECT_LE(w->width(), c.wanted.width());
            EXPECT_LE(w->height(), c.wanted.height());
            if (c.wanted.width() <= avail.width() && c.wanted.height() <= avail.height()) {
                EXPECT_EQ(w->size(), c.wanted);
            }
        } else {
            // What cannot be made smaller keeps its size and shows its top-left corner.
            EXPECT_EQ(w->size(), c.minimum);
            EXPECT_EQ(frame.topLeft(), avail.topLeft());
        }
        w->setParent(nullptr);
    }
}
