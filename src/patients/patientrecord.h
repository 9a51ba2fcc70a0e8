#pragma once
// A patient: one Pacients row and one Dental row, linked by equal EGN text.
// The derived values (birth date, sex), the card's text rules, the post-code
// look-up and the paired reads and writes of the two rows.

#include "db/database.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tav::patients {

// "DD.MM.YYYY" from the EGN: month field above 40 gives the 2000s (month
// less 40, two digits), otherwise the 1900s with the month as it stands.
QString DataBFromEGN(const QString& egn);
// "М" when the ninth character is an even digit (a non-digit counts as 0), else "Ж".
QString PolFromEGN(const QString& egn);

// The quarter begins with "кв. " unless it already begins with "к-с" or "кв.".
QString withQuarterPrefix(const QString& text);
// The first "!" becomes "№"; the street begins with "ул. " unless it already
// begins with "ул." or "бул.".
QString withStreetPrefix(const QString& text);
// Only warnings; the text stays as typed.
bool healthBookLooksWrong(const QString& text);   // trimmed length not 8
bool namesLackSecondWord(const QString& text);    // trimmed text has no blank

inline const QString kMsgHealthBook = QStringLiteral("Номера на здравната книжка е невалиден!");
inline const QString kMsgThreeNames = QStringLiteral("Въведете трите имена на пациента!");
inline const QString kMsgNoPostCode =
    QStringLiteral("Няма данни за населеното място \rили за пощенски код е сгрешен!");
inline const QString kMsgPatientGone = QStringLiteral("Пациентът вече не е в базата данни");
inline const QString kMsgPatientExists = QStringLiteral("Имате пациент с това ЕГН!\rЩе покажа данните.");

struct PostCodeEntry {
    QString tawn, obsh, obl, zk, zdrn;
};
// The first PostCode row whose PKod equals the code. Throws db::DbError.
std::optional<PostCodeEntry> findPostCode(const QString& pkod);

// The Pacients fields that the card shows and edits.
const QStringList& cardPacientsFields();
// "Z1".."Z52".
const QStringList& toothColumns();

// The doctor's number from the login (Pacients.IDName of a new patient).
int currentIdMedic();

// The name the card shows for a field: "Имена" for Names, "зъб 16" for the
// chart column of that tooth.
QString fieldLabel(const QString& field);

// A field changed on the card that another copy of the program (or another
// window) has changed as well since the card read it, to another value.
struct FieldConflict {
    QString field;
    bool dental = false;
    QString onCard;   // what the card would write
    QString stored;   // what is stored now
};
// The question the card asks about it: "ДА" keeps the card's value.
QString conflictQuestion(const FieldConflict& conflict);
inline const QString kConflictCaption = QStringLiteral("Промяна от друго копие");

// The two rows of the patient on a card, read into memory.
class PatientRecord {
public:
    enum class State {
        None,     // nothing bound: nothing to save or delete
        NewRow,   // begun, not yet stored
        Stored    // the rows of a stored patient
    };

    State state() const { return state_; }
    bool isBound() const { return state_ != State::None; }
    bool isStored() const { return state_ == State::Stored; }

    // The buffers: the card fields of Pacients, EGN and Z1..Z52 of Dental.
    db::Row& pacients() { return pacients_; }
    db::Row& dental() { return dental_; }
    const db::Row& pacients() const { return pacients_; }
    const db::Row& dental() const { return dental_; }
    // The EGN of the stored rows (empty unless Stored).
    QString storedEgn() const { return storedEgn_; }
    bool hasDentalRow() const { return dentalId_ != 0; }

    // The stored patient with this EGN, in table order; false (and nothing
    // bound) when there is none. Throws db::DbError.
    bool load(const QString& egn);
    // Empty buffers for a new patient; the chart of a Dental row left with
    // this EGN and no patient row, when there is one. Throws db::DbError.
    void beginNew(const QString& egn = {});
    void unbind();

    // What keeps the new patient in the buffers from being stored, as the
    // message the doctor sees; empty when nothing does.
    QString newPatientRefusal() const;

    // What a new card stamps into its Pacients row besides the card fields.
    struct NewStamp {
        QString lkod;
        int idName = 0;
    };
    // Adds the Dental row (EGN = the Pacients buffer's EGN) and the Pacients
    // row with LKod, IDName, DataB from the EGN, in one transaction. The
    // region codes are the card's boxes, which the post code filled. Throws
    // db::DbError, also when newPatientRefusal() names a reason; then nothing
    // is stored and the buffers stay as they were.
    void saveNew(const NewStamp& stamp);
    // Writes the fields changed in the buffers since the rows were read into
    // the stored rows in one transaction (adding the Dental row when the
    // patient has none), then reads both rows again: what others changed in
    // the other fields is kept and comes onto the card. Where another copy has
    // changed a field that was changed here too, to another value, nothing is
    // written and those fields are returned for the doctor's choice
    // (resolve()), after which the save is tried again. Throws db::DbError.
    [[nodiscard]] QVector<FieldConflict> saveCorrection();
    // The doctor's choice for a conflict: keep the card's value (the next
    // save writes it) or take the stored one into the buffer.
    void resolve(const FieldConflict& conflict, bool keepCard);
    // Removes the patient's Pacients, Dental and Help rows in one transaction.
    // Throws db::DbError; then nothing is removed.
    void deleteStored();

    // The stored Names of the first patient with this EGN. Throws db::DbError.
    static std::optional<QString> findNames(const QString& egn);

private:
    State state_ = State::None;
    db::Row pacients_;
    db::Row dental_;
    // The rows as they were read, against which the changes are found.
    db::Row readPacients_;
    db::Row readDental_;
    qint64 pacientsId_ = 0;
    qint64 dentalId_ = 0;
    QString storedEgn_;
};

} // namespace tav::patients
