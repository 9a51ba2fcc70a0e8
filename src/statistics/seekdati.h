#pragma once
// The patient-list conditions dialog "Условия за търсене": three date ranges
// (born, registered, visited), each shown as its list on "Търси".

#include "statistics/periodcheck.h"

#include <QDate>
#include <QDialog>
#include <QString>
#include <memory>

namespace Ui { class SeekDati; }
class QLineEdit;
class QComboBox;

namespace tav::statistics {

// A pair of typed dates as "Търси" takes it.
struct DatePair {
    enum Outcome {
        Skipped,      // a box is empty: no message
        DateWrong,    // not ten characters, or no day of the calendar
        MonthWrong,   // characters 4-5 read above 12
        Ok
    };
    Outcome outcome = Skipped;
    QDate start, stop;
};
// Checks as typed (length, month field), then the trimmed texts must be real
// days: day, month and four-digit year, apart by one non-digit each.
DatePair checkDatePair(const QString& start, const QString& stop);

inline const QString kMsgNoConditions = QStringLiteral("Няма избрани ограничения за търсене!");

class SeekDati : public QDialog {
    Q_OBJECT
public:
    // Kept after the dialog unloads; written by a successful pair of "Търси"
    // and by the combo boxes.
    struct Vars {
        QDate dStart, dStop;
        QString sDataStart, sDataStop;   // MM/DD/YYYY
        QString sVidSpr;                 // "1" born, "2" registered, "3" visited
        QString sSeekRepTawn, sSeekRepAdres;
    };
    static Vars& vars();

    // Modeless, one instance (created or raised).
    static SeekDati* showShared();
    static SeekDati* instance();
    static void unloadShared();

    explicit SeekDati(QWidget* parent = nullptr);
    ~SeekDati() override;

    void SeekButton_Click();
    void CancelButton_Click();

    QLineEdit* dateBox(int pair, int index) const;   // pair 0 born, 1 registered, 2 visited
    QComboBox* combo(int n) const;                   // 2..5

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void setBack(QWidget* w, bool white);
    void comboText(int n, const QString& text);
    std::unique_ptr<Ui::SeekDati> ui;
    QString sBlood_, sIntolerance_;
};

} // namespace tav::statistics
