#include "shell/helpwindow.h"

#include <QFile>
#include <gtest/gtest.h>

// The post codes' licence asks for this line wherever the program shows its credits.
TEST(HelpFile, CarriesTheAttributionOfThePostCodes)
{
    QFile f(tav::help::builtInFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    const qsizetype about = html.indexOf("name=\"topic18\"");
    ASSERT_GE(about, 0);
    EXPECT_GT(html.indexOf("Contains GeoNames data (geonames.org), CC-BY 4.0", about), about);
}
