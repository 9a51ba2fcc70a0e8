#include "shell/registry.h"

#include "db/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSettings>

namespace tav::registry {

namespace {

QHash<QString, Value>& store()
{
    static QHash<QString, Value> values;
    return values;
}

QString rootName(quint32 root)
{
    switch (root) {
    case 0x80000000u: return QStringLiteral("HKEY_CLASSES_ROOT");
    case 0x80000001u: return QStringLiteral("HKEY_CURRENT_USER");
    case 0x80000002u: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case 0x80000003u: return QStringLiteral("HKEY_USERS");
    default: return QStringLiteral("0x%1").arg(root, 8, 16, QLatin1Char('0'));
    }
}

// One spelling per value: "\" between parts, no case.
QString entryKey(const QString& root, QString keyPath, const QString& valueName)
{
    keyPath.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (keyPath.endsWith(QLatin1Char('\\')))
        keyPath.chop(1);
    return (root + QLatin1Char('\\') + keyPath + QLatin1Char('\\') + valueName).toCaseFolded();
}

} // namespace

bool read(quint32 root, const QString& keyPath, const QString& valueName, Value& out)
{
    const auto it = store().constFind(entryKey(rootName(root), keyPath, valueName));
    if (it == store().constEnd())
        return false;
    out = *it;
    return true;
}

void set(quint32 root, const QString& keyPath, const QString& valueName, const Value& value)
{
    store().insert(entryKey(rootName(root), keyPath, valueName), value);
}

void clear()
{
    store().clear();
}

void loadFile(const QString& path)
{
    clear();
    if (!QFileInfo::exists(path))
        return;
    QSettings ini(path, QSettings::IniFormat);
    const QStringList keys = ini.allKeys();
    for (const QString& key : keys) {
        const int cut = key.lastIndexOf(QLatin1Char('/'));
        if (cut <= 0)
            continue;
        QString keyPath = key.left(cut);
        const QString root = keyPath.section(QLatin1Char('/'), 0, 0);
        keyPath = keyPath.section(QLatin1Char('/'), 1);
        const QString text = ini.value(key).toString();
        Value v;
        if (text.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            bool ok = false;
            const quint32 n = text.mid(6).toUInt(&ok, 16);
            if (!ok)
                continue;
            v.type = kTypeDword;
            v.data = n;
        } else {
            v.type = kTypeString;
            v.data = text;
        }
        store().insert(entryKey(root.toUpper(), keyPath, key.mid(cut + 1)), v);
    }
}

QString defaultFile()
{
    return QDir(ProgramFolder).filePath(QStringLiteral("registry.ini"));
}

} // namespace tav::registry
