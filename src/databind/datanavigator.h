#pragma once
// The visible navigator of a DataControl: first, previous, next and last
// row buttons around the control's caption (DataControl::setCaption).
// A button whose move would not change the row is disabled. A move that
// fails to write the row being left is reported to the user, unless the
// control's Error handler took the error over.
//
//     Data1 = new DataControl(this);
//     auto* nav = new DataNavigator(this);   // or promoted in the .ui
//     nav->setDataControl(Data1);
//     connect(Data1, &DataControl::reposition, this, [this] {
//         Data1->setCaption("Запис: " + QString::number(Data1->absolutePosition() + 1));
//     });

#include <QPointer>
#include <QWidget>

class QLabel;
class QToolButton;

namespace tav {

class DataControl;

class DataNavigator : public QWidget {
    Q_OBJECT
public:
    explicit DataNavigator(QWidget* parent = nullptr);

    void setDataControl(DataControl* data);
    DataControl* dataControl() const { return data_; }

    QToolButton* firstButton() const { return first_; }
    QToolButton* previousButton() const { return previous_; }
    QToolButton* nextButton() const { return next_; }
    QToolButton* lastButton() const { return last_; }
    QString caption() const;

private:
    void move(bool (DataControl::*step)());
    void updateState();

    QPointer<DataControl> data_;
    QToolButton* first_;
    QToolButton* previous_;
    QToolButton* next_;
    QToolButton* last_;
    QLabel* caption_;
};

} // namespace tav
