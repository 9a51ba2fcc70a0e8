#pragma once
// The read-only list of a patient's treatments, beside the card that
// corrects the patient.

#include <QWidget>

namespace tav {

class DataControl;
class DataGrid;

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
