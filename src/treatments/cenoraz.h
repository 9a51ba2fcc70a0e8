#pragma once
// The practice's own price list (table Ceny): a read-only list, and the
// current row's short name and price edited in the frame below it.

#include <QDialog>
#include <memory>

namespace Ui { class Cenoraz; }
class QLabel;
class QLineEdit;

namespace tav {

class DataControl;
class DataGrid;

inline constexpr int kShortNameLength = 15;

// A short name as it is kept: at most its first 15 characters.
QString cutShortName(const QString& name);

class Cenoraz : public QDialog {
    Q_OBJECT
public:
    // Shows the window modally over `owner`.
    static void showShared(QWidget* owner);
    // The open window, or nullptr.
    static Cenoraz* instance();

    explicit Cenoraz(QWidget* parent = nullptr);
    ~Cenoraz() override;

    DataControl* Data1 = nullptr;
    DataGrid* DBGrid1 = nullptr;
    QLineEdit* Text2 = nullptr;      // short name
    QLineEdit* txtPrice = nullptr;   // Text1(1)
    QLabel* Label2 = nullptr;        // code
    QLabel* lblFull = nullptr;       // Label1(4), full name

    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdUpdate_Click();
    // Text2 lost the focus.
    void Text2_LostFocus();

    void done(int r) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool writeCurrent();
    std::unique_ptr<Ui::Cenoraz> ui;
    // Closing without the edits that could not be written.
    bool discarding_ = false;
};

inline const QString kCenorazNoRow = QStringLiteral("Няма избран ред от ценоразписа.");

} // namespace tav
