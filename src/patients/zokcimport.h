#pragma once
// "Добавяне от ЗОКС": the fund's list of patients, placed by the user as
// temp.mdb in the program folder (the fund's Jet file, or an SQLite file of
// the same five tables), adds every patient whose EGN is not yet in the
// register, each with an empty chart and a first examination.

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class QWidget;

namespace tav::patients {

// One export table read into memory: the fields in the order the import
// asks for them, every value as text (Null reads as "").
struct ExportTable {
    QString name;                 // as the file spells it
    QVector<QStringList> rows;    // in table order
};

struct ZokcExport {
    QString path;
    ExportTable patients, address, eknm, sCode, stCode;
};

// The fields read of each table, in the order of the values of its rows.
const QStringList& zokcPatientsFields();   // IDNUMBER NAME1 NAME2 NAME3 POL BIRTHDATE DATEREG HIMNUMBER RECBOOK
const QStringList& zokcAddressFields();    // IDNUMBER POSTCODE STREET1 STREET2 NOMSTRT NOMBLOK VHOD ETAG APART TOWNVILLAG TELEFON FAX
const QStringList& zokcEknmFields();       // TOWNVILLAG DISTRICTCO HRCODE KIND TOWNVILLA2 MUNICIPALI
const QStringList& zokcCodeFields();       // CODE NAME (s_code)
const QStringList& zokcDistrictFields();   // TYPE NAME (st_code)

// temp.mdb in the folder, its name matched without regard to case; empty
// when there is none.
QString findZokcExportFile(const QString& folder);

// Reads the export, never writing it: "SQLite format 3" through the SQLite
// driver, "Standard Jet DB" through libmdb in the reader program (a damaged
// Jet file can crash libmdb or keep it looping). The five tables and every
// field above must be there (names in any case). Throws db::DbError naming
// what is missing or what the file is not.
ZokcExport readZokcExport(const QString& path);

// What the reader program does: reads a Jet export through libmdb in this
// process, the checks of readZokcExport included. Throws db::DbError.
ZokcExport readZokcJetExport(const QString& path);

// The reader program's output: the five tables, or the refusal it met.
// UTF-8 lines; a Null is told apart from an empty text, and a last line
// with the row counts shows that nothing was cut.
QByteArray zokcReaderOutput(const ZokcExport& data);
QByteArray zokcReaderOutput(const QString& refusal, const QString& detail);

// The reader program and its limits: past them it is ended, and the export
// refused as damaged.
struct ZokcReader {
    QString program;          // empty: tavlinora-jetread beside this program
    QStringList arguments;    // given before the export's path
    int wallClockMs = 10000;
    qint64 memoryBytes = qint64(1) << 30;
};
ZokcReader& zokcReader();
inline const QString kZokcReaderName = QStringLiteral("tavlinora-jetread");

struct ZokcImportResult {
    int rows = 0;           // rows of patients
    int added = 0;          // new patients
    int skipped = 0;        // rows without EGN or first name, or without a birth or registration date
    int charts = 0;         // Dental rows added
    int examinations = 0;   // "101" examinations added
};

// Adds the new patients, charts and examinations in one transaction, owned
// by doctorCode; the new patients are numbered on from the largest stored
// IDName. `progress` gets each row's 1-based position. Throws db::DbError;
// then nothing is written.
ZokcImportResult importZokcPatients(const ZokcExport& data, const QString& doctorCode,
                                    const std::function<void(int)>& progress = {});

// The menu item: reads temp.mdb, imports under the progress window and says
// how it went.
void ImportZOKCPatients(QWidget* owner = nullptr);

inline const QString kMsgZokcNoFile = QStringLiteral("Няма файл temp.mdb в папката на програмата");
inline const QString kMsgZokcNotTheExport = QStringLiteral("Файлът temp.mdb не съдържа данните от ЗОКС");
inline const QString kMsgZokcDamaged = QStringLiteral("Файлът temp.mdb е повреден или непълен");
// Where the export goes and under what name, with the folder.
QString zokcPlacement(const QString& folder);

inline const QString kZokcProgressLabel = QStringLiteral("Добавям нови пациенти от ЗОКС");
inline const QString kMsgZokcDone = QStringLiteral("Завърших обработката на данните!");

// "Завърших обработката на данните!" and the counts, one per line.
QString zokcDoneMessage(const ZokcImportResult& r);

} // namespace tav::patients
