// The particulars both dental cards compose from the patient's row.

#include "fixtures.h"

#include "printing/cardtexts.h"

#include <gtest/gtest.h>

using namespace tav::printing;
using namespace printing_test;

TEST(CardTexts, AddressPartsBeforeAndAfterTheCarriageReturn)
{
    struct Case {
        Fields fields;
        QString address;
    };
    const Case cases[] = {
        {{}, "\r"},
        {{{"PKod", QVariant()}, {"Tawn", QVariant()}, {"KV", QVariant()}}, "\r"},
        {{{"BL", "45"}}, "\r, бл.45"},
        {{{"Tawn", "Пловдив"}, {"UL", "ул.Гладстон 12"}}, " Пловдив\rул.Гладстон 12"},
        {{{"KV", "ж.к.Тракия"}, {"UL", "ул.Кап"}}, "\rж.к.Тракияул.Кап"},   // nothing between the two
        {{{"PKod", "4000"}, {"Tawn", "Пловдив"}, {"Obsh", "Пловдив"}, {"Obl", "Пловдив"}, {"KV", "ж.к.Тракия "},
          {"UL", "ул.Гладстон 12"}, {"BL", "45"}, {"VX", "Б"}, {"ET", "3"}, {"AP", "12"}},
         "4000 Пловдив, общ.Пловдив, обл.Пловдив\rж.к.Тракия ул.Гладстон 12, бл.45, вх.Б, ет.3, ап.12"},
        {{{"Tawn", "   "}, {"Obsh", "Марица"}}, ", общ.Марица\r"},   // a field of blanks adds no prefix either
        {{{"Tawn", " Пловдив "}, {"ET", "0"}}, "  Пловдив \r, ет.0"},   // filled values as stored
    };
    for (const Case& k : cases)
        EXPECT_EQ(cardAddress(rowOf(k.fields)), k.address);
}

TEST(CardTexts, PhonesWorkAndNameLine)
{
    struct Case {
        QString (*compose)(const tav::db::Row&);
        Fields fields;
        QString text;
    };
    const Case cases[] = {
        {cardPhones, {}, ""},
        {cardPhones, {{"DTel", "623344"}}, "  дом.: 623344"},
        {cardPhones, {{"MTel", "0888123456"}}, "  моб.: 0888123456"},
        {cardPhones, {{"TKod", " "}, {"STel", "22"}}, "  сл.: 22"},
        {cardPhones, {{"TKod", "032"}, {"DTel", "1"}, {"STel", "2"}, {"MTel", "3"}, {"Fax", "4"}},
         "код 032  дом.: 1  сл.: 2  моб.: 3  факс: 4"},
        {cardWork, {{"Work", "Завод"}}, " в Завод"},
        {cardWork, {{"Prof", "шлосер"}, {"Work", "Завод"}}, "шлосер в Завод"},
        {cardWork, {{"Prof", "шлосер"}, {"Work", "  "}}, "шлосер"},
        {cardNameLine, {{"Names", "Иван Петров"}, {"EGN", "7503126540"}}, "на Иван Петров    ЕГН 7503126540"},
        {cardNameLine, {{"Names", QVariant()}, {"EGN", "7503126540"}}, "на     ЕГН 7503126540"},
        {cardNameLine, {{"Names", " Иван "}, {"EGN", QVariant()}}, "на  Иван     ЕГН "},
    };
    for (const Case& k : cases)
        EXPECT_EQ(k.compose(rowOf(k.fields)), k.text);
}

TEST(CardTexts, RegistrationWordingBySex)
{
    const QString woman = "Регистрирана на:", man = "Регистриран на:";
    const std::pair<QVariant, QString> cases[] = {
        {"Ж", woman}, {"Жена", woman}, {"Ж ", woman},
        {"М", man}, {"ж", man}, {" Ж", man}, {"", man}, {QVariant(), man}, {"Z", man},
    };
    for (const auto& [pol, wording] : cases)
        EXPECT_EQ(cardRegistration(rowOf({{"Pol", pol}})), wording) << pol.toString().toStdString();
}
