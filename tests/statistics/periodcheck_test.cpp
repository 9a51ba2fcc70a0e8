#include "statistics/periodcheck.h"

#include "services/globals.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::statistics;

TEST(PeriodCheck, TypedPeriodsGiveTheMessageOrTheMembers)
{
    using V = PeriodVerdict;
    const struct {
        QString start, stop;
        V verdict;
        PeriodVars vars;   // sStart, sStop, sDataStart, sDataStop
    } cases[] = {
        {"", "31.03.2010", V::Incomplete, {}},
        {"01.03.2010", "", V::Incomplete, {}},
        {"01.03.2010", "31.03.2010", V::Accepted, {"01.03.2010", "31.03.2010", "03/01/2010", "03/31/2010"}},
        // The separators are not read.
        {"01/03/2010", "31-03-2010", V::Accepted, {"01.03.2010", "31.03.2010", "03/01/2010", "03/31/2010"}},
        {" 01.03.2010 ", "31.03.2010", V::Accepted, {"01.03.2010", "31.03.2010", "03/01/2010", "03/31/2010"}},
        {"29.02.2012", "29.02.2012", V::Accepted, {"29.02.2012", "29.02.2012", "02/29/2012", "02/29/2012"}},
        // A start after the end is a period without rows, not an error.
        {"31.03.2010", "01.03.2010", V::Accepted, {"31.03.2010", "01.03.2010", "03/31/2010", "03/01/2010"}},
        {"1.3.2010", "31.03.2010", V::DateWrong, {}},
        {" 1.03.2010", "31.03.2010", V::DateWrong, {}},   // 9 characters once trimmed
        {"01.03.2010", "31.03.20100", V::DateWrong, {}},
        {"          ", "31.03.2010", V::DateWrong, {}},
        {"ab.03.2010", "31.03.2010", V::DateWrong, {}},
        {"31.02.2010", "31.03.2010", V::DateWrong, {}},
        {"01.03.2010", "29.02.2010", V::DateWrong, {}},
        {"00.03.2010", "31.03.2010", V::DateWrong, {}},
        {"01.03.20x0", "31.03.2010", V::DateWrong, {}},
        {"01.03.0000", "31.03.2010", V::DateWrong, {}},
        {"15.13.2010", "31.03.2010", V::MonthWrong, {}},
        {"15.00.2010", "31.03.2010", V::MonthWrong, {}},
        {"01.03.2010", "15.1a.2010", V::MonthWrong, {}},
        // A month typed with a leading blank is read as its digit and carried with two.
        {"01. 3.2010", "15. 3.2010", V::Accepted, {"01.03.2010", "15.03.2010", "03/01/2010", "03/15/2010"}},
        {" 01. 3.2010", "31.12.2010", V::Accepted, {"01.03.2010", "31.12.2010", "03/01/2010", "12/31/2010"}},
        {"31. 4.2010", "31.12.2010", V::DateWrong, {}},   // no such day
        {" 1. 3.2010", "31.12.2010", V::DateWrong, {}},   // shifted once trimmed
        {"15.3 .2010", "31.12.2010", V::MonthWrong, {}},
        {"15.  .2010", "31.12.2010", V::MonthWrong, {}},
        {"15. 0.2010", "31.12.2010", V::MonthWrong, {}},
        {"15. a.2010", "31.12.2010", V::MonthWrong, {}},
        {"31.02.2010", "15.13.2010", V::MonthWrong, {}},   // the month is checked before the day
    };
    for (const auto& c : cases) {
        const PeriodCheck r = checkPeriod(c.start, c.stop);
        const std::string what = (c.start + " / " + c.stop).toStdString();
        EXPECT_EQ(r.verdict, c.verdict) << what;
        EXPECT_EQ(r.vars.sStart, c.vars.sStart) << what;
        EXPECT_EQ(r.vars.sStop, c.vars.sStop) << what;
        EXPECT_EQ(r.vars.sDataStart, c.vars.sDataStart) << what;
        EXPECT_EQ(r.vars.sDataStop, c.vars.sDataStop) << what;
    }
    EXPECT_EQ(checkPeriod("1.3.2010", "1.3.2010").message(),
              QString("Грешка в изписването на датата!\rФормата на датата е: ДД.ММ.ГГГГ"));
    EXPECT_EQ(checkPeriod("15.13.2010", "1.13.2010").message(),
              QString("Грешка в изписването на датата!\rФормата на датата е: ДД.ММ.ГГГГ"));
    EXPECT_EQ(checkPeriod("15.13.2010", "15.13.2010").message(),
              QString("Грешка в изписването на месеца!\rФормата на датата е: ДД.ММ.ГГГГ"));
}

TEST(PeriodCheck, SaveRequestProposesUinMonthAndYear)
{
    const struct {
        QString uin, start, name;
    } cases[] = {
        {"2300012345", "01.03.2010", "2300012345-032010.xml"},
        {"2300012345", "15.12.2011", "2300012345-122011.xml"},
        {"", "01.03.2010", "-032010.xml"},   // no practice row and no earlier export
        // What cannot stand in a file name, here or on a FAT stick, becomes "_".
        {"23/00", "01.03.2010", "23_00-032010.xml"},
        {"a\\b:c*d?e\"f<g>h|i", "01.03.2010", "a_b_c_d_e_f_g_h_i-032010.xml"},
        {QString("23\t0\n0") + QChar(0x7f) + QChar(0x85) + "1", "01.03.2010", "23_0_0__1-032010.xml"},
        {"Д-р 23.00", "01.03.2010", "Д-р 23.00-032010.xml"},
    };
    for (const auto& c : cases) {
        CurrentUserUIN = c.uin;
        const SaveRequest r = reportSaveRequest(c.start);
        EXPECT_EQ(r.proposedName, c.name) << c.uin.toStdString();
        EXPECT_EQ(r.title, QString("Записване на XML-файла"));
        EXPECT_EQ(r.filter, QString("XML-файлове (*.xml);;Всички файлове (*.*)"));
    }
    CurrentUserUIN.clear();
}

TEST(PeriodCheck, SaveStartsInTheDocumentsFolderOrElseInTheHomeFolder)
{
    // A user without a Documents folder: the dialog starts at home, not in
    // whatever folder the program was started from.
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
    EXPECT_EQ(reportSaveRequest("01.03.2010").folder, home.path());
    ASSERT_TRUE(QDir(home.path()).mkdir("Documents"));
    EXPECT_EQ(reportSaveRequest("01.03.2010").folder, home.filePath("Documents"));
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    if (oldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
}
