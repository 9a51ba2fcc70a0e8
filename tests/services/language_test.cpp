#include "services/language.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

// What a text box's context menu and a dialog's standard buttons say.
QStringList contextMenuTexts()
{
    QLineEdit box;
    box.setText(QStringLiteral("пример"));
    std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text().section(QLatin1Char('\t'), 0, 0);
    return texts;
}

QStringList buttonTexts()
{
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    return {box.button(QDialogButtonBox::Cancel)->text(), box.button(QDialogButtonBox::Yes)->text()};
}

} // namespace

TEST(Language, QtsOwnTextsAndTheLocaleAreBulgarian)
{
    ASSERT_TRUE(QFileInfo::exists(tav::qtTranslationFile())) << qPrintable(tav::qtTranslationFile());
    const QLocale before;
    EXPECT_TRUE(contextMenuTexts().contains(QStringLiteral("&Copy")));

    ASSERT_TRUE(tav::installBulgarian());
    const QStringList menu = contextMenuTexts();
    if (const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS"); !dir.isEmpty()) {
        QLineEdit box;
        box.setText(QStringLiteral("пример"));
        box.selectAll();
        std::unique_ptr<QMenu> shown(box.createStandardContextMenu());
        shown->popup(QPoint(0, 0));
        shown->grab().save(dir + "/context_menu.png");
    }
    for (const char* text : {"&Отмяна", "&Копиране", "&Поставяне", "Избиране на всичко"})
        EXPECT_TRUE(menu.contains(QString::fromUtf8(text))) << text << " not in " << qPrintable(menu.join(" | "));
    EXPECT_EQ(buttonTexts(), (QStringList{QStringLiteral("Отказ"), QStringLiteral("&Да")}));
    EXPECT_EQ(QLocale().language(), QLocale::Bulgarian);
    EXPECT_EQ(QLineEdit().locale().language(), QLocale::Bulgarian);
    EXPECT_TRUE(tav::installBulgarian());   // twice is harmless

    tav::removeBulgarian();
    QLocale::setDefault(before);
    EXPECT_TRUE(contextMenuTexts().contains(QStringLiteral("&Copy")));
}
