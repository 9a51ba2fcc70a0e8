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
#include <QScreen>
#include <QVBoxLayout>

namespace tav {

// Right of the window when the screen has room there (narrowed to the room
// if need be), else below it, else over its lower right part.
QRect ListPlacement(const QRect& beside, const QSize& besideFrame, const QSize& mappedFrame, const QSize& list,
                    const QRect& avail)
{
    constexpr int kGap = 4, kMinWidth = 420, kMinHeight = 200;
    QRect b = beside;
    QSize frame = besideFrame;
    if (frame.isEmpty()) {
        frame = mappedFrame;
        b.setSize(b.size() + frame);
    }
    const QSize want = list + frame;
    const int roomRight = avail.right() - b.right() - kGap;
    const int roomBelow = avail.bottom() - b.bottom() - kGap;
    QSize size = list;
    QPoint topLeft;
    if (roomRight >= kMinWidth) {
        size = QSize(std::min(want.width(), roomRight), std::min(want.height(), avail.height())) - frame;
        topLeft = QPoint(b.right() + kGap, std::max(avail.top(), std::min(b.top(), avail.bottom() + 1 - size.height() - frame.height())));
    } else if (roomBelow >= kMinHeight) {
        size = QSize(std::min(want.width(), avail.width()), std::min(want.height(), roomBelow)) - frame;
        topLeft = QPoint(std::max(avail.left(), std::min(b.left(), avail.right() + 1 - size.width() - frame.width())), b.bottom() + kGap);
    } else {
        topLeft = QPoint(std::max(avail.left(), avail.right() + 1 - want.width()), std::max(avail.top(), avail.bottom() + 1 - want.height()));
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
    const QRect at = ListPlacement(beside->frameGeometry(), beside->frameGeometry().size() - beside->size(), mapped,
                                   w->size(), avail);
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
