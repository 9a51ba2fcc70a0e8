#pragma once
// "Корекция ЕГН": a patient registered under a wrong EGN is moved to the
// right one, with the chart, the treatments and the referrals.

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui { class KorEGN; }

namespace tav {

namespace patients {

struct EgnMove {
    enum class Outcome {
        Moved,      // rows carry the new EGN now
        NoRows,     // no row had the old EGN: nothing changed
        Refused     // the new EGN may not be used: nothing changed
    };
    Outcome outcome = Outcome::NoRows;
    int pacients = 0, dental = 0, help = 0, referrals = 0;
    QString message;   // what the user is told
};

// Both EGNs are trimmed first. The new one must pass the EGN rules, differ
// from the old one and be carried by no patient, chart or treatment; the old
// one is not checked (it is the wrong one). Pacients, Dental, Help, Path,
// Invest and Spec move in one transaction; the patient's DataB and Pol are
// set from the new EGN in it. Throws db::DbError; then nothing
// is changed.
EgnMove moveEgn(const QString& oldEgn, const QString& newEgn);

} // namespace patients

class KorEGN : public QDialog {
    Q_OBJECT
public:
    static KorEGN* instance();
    // Modeless, one instance (created or raised).
    static KorEGN* showShared();

    explicit KorEGN(QWidget* parent = nullptr);
    ~KorEGN() override;

    void Text1_LostFocus();
    void Text2_LostFocus();
    void Text2_Click();
    void OKButton_Click();
    void CancelButton_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* messageOwner();
    std::unique_ptr<Ui::KorEGN> ui;
};

} // namespace tav
