#include "treatments/viewhelp.h"

#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "patients/kartonadd.h"
#include "patients/prompts.h"
#include "services/hourglass.h"
#include "services/ownedwindow.h"
#include "services/sharedwindow.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QVBoxLayout>

namespace tav {

// Right of the window where the list, at least its least size, fits there
// with its frame (narrowed to the room if need be); else below it the same
// way; else over the window's lower right part, inside the screen.
QRect ListPlacement(const QRect& beside, const QSize& besideFrame, const QSize& mappedFrame, const QSize& list,
                    const QSize& minimum, const QRect& avail)
{
    constexpr int kGap = 4;
    QRect b = beside;
    QSize frame = besideFrame;
    if (frame.isEmpty()) {
        frame = mappedFrame.expandedTo(QSize(0, 0));
        b.setSize(b.size() + frame);
    }
    // Less than this is not worth reading beside the card.
    const QSize least = QSize(420, 200).boundedTo(list).expandedTo(minimum);
    const QSize want = list.expandedTo(minimum);
    const int roomRight = avail.right() - b.right() - kGap;
    const int roomBelow = avail.bottom() - b.bottom() - kGap;
    const QSize fullRoom = avail.size() - frame;
    QSize size;
    QPoint topLeft;
    if (roomRight - frame.width() >= least.width() && fullRoom.height() >= least.height()) {
        size = QSize(std::min(want.width(), roomRight - frame.width()), std::min(want.height(), fullRoom.height()));
        topLeft = QPoint(b.right() + kGap,
                         std::max(avail.top(), std::min(b.top(), avail.bottom() + 1 - size.height() - frame.height())));
    } else if (roomBelow - frame.height() >= least.height() && fullRoom.width() >= least.width()) {
        size = QSize(std::min(want.width(), fullRoom.width()), std::min(want.height(), roomBelow - frame.height()));
        topLeft = QPoint(std::max(avail.left(), std::min(b.left(), avail.right() + 1 - size.width() - frame.width())),
                         b.bottom() + kGap);
    } else {
        size = want.boundedTo(fullRoom).expandedTo(minimum);
        // The title bar stays on the screen even when nothing fits.
        topLeft = QPoint(std::max(avail.left(), avail.right() + 1 - size.width() - frame.width()),
                         std::max(avail.top(), avail.bottom() + 1 - size.height() - frame.height()));
    }
    return QRect(topLeft, size);
}

namespace {
SharedWindow<ViewHelp> g_list;

void placeBeside(QWidget* w, const QWidget* beside)
{
    if (!beside)
        return;
    const QScreen* screen = beside->screen() ? beside->screen() : QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
    // A window shown a moment ago has no frame from the window manager yet:
    // the main window's is what it will get.
    QSize mapped;
    if (const QWidget* main = mainWindow(); main && main->isVisible())
        mapped = main->frameGeometry().size() - main->size();
    w->ensurePolished();
    if (QLayout* l = w->layout())
        l->activate();
    const QRect at = ListPlacement(beside->frameGeometry(), beside->frameGeometry().size() - beside->size(), mapped,
                                   w->size(), w->minimumSize().expandedTo(w->minimumSizeHint()), avail);
    w->resize(at.size());
    w->move(at.topLeft());
}
} // namespace

ViewHelp* ViewHelp::instance()
{
    return g_list;
}

ViewHelp* ViewHelp::showShared(QWidget* beside)
{
    if (!g_list) {
        g_list.create();
        // Owned by the main window like the card, but placed beside the card.
        makeOwnedWindow(g_list);
        placeBeside(g_list, beside);
    } else {
        g_list->Form_Load();
    }
    g_list->show();
    g_list->raise();
    return g_list;
}

void ViewHelp::unloadShared()
{
    g_list.close();
}

ViewHelp::ViewHelp(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ViewHelp"));
    setWindowTitle(QStringLiteral("Стоматологична помощ"));
    g_list.adopt(this);
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame3"));
    Data3 = new DataControl(this);
    Data3->setObjectName(QStringLiteral("Data3"));
    DBGrid1 = new DataGrid(frame);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    using F = DataControl::Format;
    DBGrid1->addColumn(QStringLiteral("Дата"), QStringLiteral("Data"), F::Date, 1200);
    DBGrid1->addColumn(QStringLiteral("Диагноза, статус"), QStringLiteral("Help"), F::Text, 3000);
    DBGrid1->addColumn(QStringLiteral("Код зъб"), QStringLiteral("KodZab"), F::Text, 900);
    DBGrid1->addColumn(QStringLiteral("Лечение"), QStringLiteral("TextHelp"), F::Text, 2700);
    DBGrid1->addColumn(QStringLiteral("Код дейн."), QStringLiteral("KodHelp"), F::Text, 1000);
    DBGrid1->addColumn(QStringLiteral("Здр. каса"), QStringLiteral("ZK"), F::YesNo, 1000);
    DBGrid1->setReadOnly(true);
    DBGrid1->setDataControl(Data3);
    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(6, 6, 6, 6);
    inner->addWidget(DBGrid1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(frame);
    connect(Data3, &DataControl::reposition, this, [this] {
        Data3->setCaption(QStringLiteral("Запис №: ") + QString::number(Data3->absolutePosition() + 1));
    });
    resize(760, 380);
    Form_Load();
}

ViewHelp::~ViewHelp() = default;

void ViewHelp::Form_Load()
{
    // The card's patient at this moment; the list does not follow later changes.
    Data3->setRecordSource(QStringLiteral("Help"), QStringLiteral("WHERE EGN = ? ORDER BY Data, KodHelp, RecID"),
                           {KartonAdd::vars().sKorEGN});
    try {
        Hourglass wait;
        Data3->refresh();
    } catch (const db::DbError& e) {
        patients::say(e.userText(), this);
    }
}

} // namespace tav
