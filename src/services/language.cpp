#include "services/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace tav {

namespace {
std::unique_ptr<QTranslator> g_translator;
}

QString qtTranslationFile()
{
    return QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(QStringLiteral("qtbase_bg.qm"));
}

bool installBulgarian()
{
    const QLocale bulgarian(QLocale::Bulgarian, QLocale::Bulgaria);
    QLocale::setDefault(bulgarian);
    if (g_translator)
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(qtTranslationFile()))
        return false;
    if (!QCoreApplication::installTranslator(translator.get()))
        return false;
    g_translator = std::move(translator);
    return true;
}

void removeBulgarian()
{
    if (!g_translator)
        return;
    QCoreApplication::removeTranslator(g_translator.get());
    g_translator.reset();
}

} // namespace tav
