#pragma once
// The read-only list of a patient's treatments, beside the card that
// corrects the patient.

#include <QWidget>

namespace tav {

class DataControl;
class DataGrid;

// Where the list stands beside a window: the top left of the list's frame and
// the size of the list itself. `beside` is that window's frame rectangle and
// `besideFrame` what the window manager added to it, empty when the window is
// not on the screen yet; `mappedFrame` is what a window on the screen got.
// `list` is the size the list asks for, `minimum` the least its layout takes.
QRect ListPlacement(const QRect& beside, const QSize& besideFrame, const QSize& mappedFrame, const QSize& list,
                    const QSize& minimum, const QRect& avail);

class ViewHelp : public QWidget {
    Q_OBJECT
public:
    static ViewHelp* instance();
    // Modeless, one instance, for the card's patient (KartonAdd's sKorEGN);
    // an open list is loaded afresh. Placed beside `beside` when there is room.
    static ViewHelp* showShared(QWidget* beside = nullptr);
    static void unloadShared();

    explicit ViewHelp(QWidget* parent = nullptr);
    ~ViewHelp() override;

    void Form_Load();
    DataGrid* grid() const { return DBGrid1; }
    DataControl* data3() const { return Data3; }

private:
    DataControl* Data3 = nullptr;
    DataGrid* DBGrid1 = nullptr;
};

} // namespace tav
