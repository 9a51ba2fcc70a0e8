#pragma once
// A small practice for the fund report, and checks of the written files.

#include "db/database.h"
#include "db/paths.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace fund_fixture {

inline const QString kDoctor = QStringLiteral("2200001");
inline const QString kOtherDoctor = QStringLiteral("2200002");
inline const QString kEgnA = QStringLiteral("7501011234");
inline const QString kEgnB = QStringLiteral("0541151238");

inline void addService(tav::db::Connection& c, const QString& egn, const QString& listId, const QDate& day,
                       const QString& code, const QString& diagnosis, const QVariant& tooth, const QVariant& price,
                       const QVariant& minutes, const QString& doctor = kDoctor)
{
    c.insert("Help", {"EGN", "ListID", "Data", "KodHelp", "Help", "KodZab", "Cena", "Times", "KodMedic", "ZK", "Schet"},
             {egn, listId, day, code, diagnosis, tooth, price, minutes, doctor, 0, 1});
}

// Two patients, one with two sheets in March 2010; rows around the period
// and of another doctor that the report must leave out.
inline void fillSmallPractice()
{
    using tav::db::Connection;
    Connection c = Connection::main();
    c.exec("UPDATE MedicUnit SET UserName = ?, UserBULSTAT = ?, UserID = ?, UserContract = ?, UserUIN = ?",
           {QStringLiteral(" Д-р Иванов & Син \"Усмивка\" <ЕООД> "), "121212121", "1622334455 ", "16/2010-007",
            " 2300012345 "});
    c.insert("Pacients", {"EGN", "Names", "Type", "Country", "RZOK", "ZR", "DataB", "ZBook", "Nep", "ZabOld", "ZabNaw", "LKod"},
             {kEgnA, QStringLiteral("Иван Петров Д'Арков"), "1", "BG", "16", "01", "01.01.1975", "12345678",
              QStringLiteral("Пеницилин\r\nАналгин"), QStringLiteral("Диабет"), QStringLiteral("Хипертония"), kDoctor});
    // The import keeps a leading blank in the names.
    c.insert("Pacients", {"EGN", "Names", "Type", "Country", "RZOK", "ZR", "DataB", "ZBook", "Nep", "ZabOld", "ZabNaw", "LKod"},
             {kEgnB, QStringLiteral(" Мария Георгиева Петкова"), "1", "BG", "16", "02", "15.01.2005", "87654321",
              QStringLiteral("прах\x01"), QStringLiteral("Варицела\t2009"), QStringLiteral("Астма (по думите ѝ)"), kDoctor});
    c.insert("Dental", {"EGN", "Z1", "Z2", "Z21", "Z30", "Z40", "Z52"},
             {kEgnA, "*", "C", "*", "P", "  ", "G"});

    const QDate m1(2010, 3, 1), m5(2010, 3, 5), m31(2010, 3, 31);
    addService(c, kEgnB, "000010", m1, "101", QStringLiteral("Обстоен преглед"), QVariant(), 15, 15);
    addService(c, kEgnA, "000011", m5, "509", QStringLiteral(" Pulpitis "), " 36 ", 21.13, 22);
    addService(c, kEgnB, "000010", m1, "301", "Caries media", "74", 0.5, 26);
    addService(c, kEgnA, "000011", m5, "101", QStringLiteral("Преглед"), QVariant(), 12.05, 15);
    addService(c, kEgnA, "000011", m5, "301", "Caries & <profunda>", "46", 0.29, 26);
    addService(c, kEgnA, "000012", m31, "332", "Periodontitis", "21", QVariant(), QVariant());
    addService(c, kEgnA, "000012", m31, "301", "Caries superficialis", "11", 1.15, 26);
    // Outside: the day before, the day after, another doctor.
    addService(c, kEgnA, "000009", QDate(2010, 2, 28), "101", "x", QVariant(), 6.44, 15);
    addService(c, kEgnA, "000013", QDate(2010, 4, 1), "101", "x", QVariant(), 6.44, 15);
    addService(c, kEgnB, "000010", QDate(2010, 3, 10), "101", "x", QVariant(), 6.44, 15, kOtherDoctor);

    c.insert("Path", {"EGN", "ListID", "Data", "Nomer", "SIMP", "BCD"}, {kEgnA, "000011", m5, "15", "64", "2"});
    c.insert("Path", {"EGN", "ListID", "Data", "Nomer", "SIMP", "BCD"}, {kEgnA, "000011", QDate(2010, 3, 6), "16", "61", "1"});
    c.insert("Invest", {"EGN", "ListID", "Data", "Nomer", "Kod1", "Kod2"}, {kEgnA, "000012", m31, " 7 ", "101", "1002"});
    c.insert("Spec", {"EGN", "ListID", "Data", "SISP1", "SISP2"}, {kEgnA, "000011", m5, "64", "62"});
    c.insert("Spec", {"EGN", "ListID", "Data", "SISP1", "SISP2"}, {kEgnA, "000011", QDate(2010, 3, 6), "65", "  "});
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

inline QString reportPath()
{
    return QDir(tav::ProgramFolder).filePath(tav::kReportFileName);
}
inline QString utf8Path()
{
    return QDir(tav::ProgramFolder).filePath(tav::kReportUtf8FileName);
}

// Byte for byte, naming the first line that differs.
inline void expectSameBytes(const QByteArray& actual, const QByteArray& expected, const char* what)
{
    if (actual == expected)
        return;
    const QList<QByteArray> a = actual.split('\n'), e = expected.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), e.size()); ++i) {
        const QByteArray x = a.value(i), y = e.value(i);
        if (x != y) {
            ADD_FAILURE() << what << ": line " << i + 1 << "\n  actual:   " << x.toStdString()
                          << "\n  expected: " << y.toStdString();
            return;
        }
    }
    ADD_FAILURE() << what << " differs";
}

// xmllint accepts the file; Report.xml (Windows-1251 bytes under a UTF-8
// declaration) is checked after decoding.
inline void expectWellFormed(const QString& path, bool windows1251 = false)
{
    const QString xmllint = QStandardPaths::findExecutable("xmllint");
    ASSERT_FALSE(xmllint.isEmpty()) << "xmllint is missing (libxml2-utils)";
    QString file = path;
    QTemporaryDir dir;
    if (windows1251) {
        QStringDecoder decode("windows-1251");
        file = dir.filePath("decoded.xml");
        writeBytes(file, QString(decode.decode(readBytes(path))).toUtf8());
    }
    QProcess p;
    p.start(xmllint, {"--noout", file});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0) << path.toStdString() << ": " << p.readAllStandardError().toStdString();
}

} // namespace fund_fixture
