#include "report/fonts.h"

#include <QHash>
#include <unordered_map>
#include <cmath>

namespace tav::report {

QString mappedFamily(const QString& layoutFamily)
{
    QString f = layoutFamily.trimmed().toLower();
    f.remove(QLatin1Char(' '));
    if (f.startsWith(QLatin1String("liberation")))
        return layoutFamily.trimmed();
    if (f.startsWith(QLatin1String("arialnarrow")))
        return QStringLiteral("Liberation Sans Narrow");
    if (f.startsWith(QLatin1String("courier")) || f == QLatin1String("fixedsys"))
        return QStringLiteral("Liberation Mono");
    if (f.startsWith(QLatin1String("timesnewroman")) || f.startsWith(QLatin1String("times"))
        || f == QLatin1String("msserif") || f == QLatin1String("serif"))
        return QStringLiteral("Liberation Serif");
    return QStringLiteral("Liberation Sans");
}

QFont reportFont(const FontDef& def, int stretch)
{
    // Building a QFont resolves the family through fontconfig; the same few
    // fonts are asked for over and over, so keep them.
    struct Key {
        QString family;
        int size;
        int stretch;
        bool bold, italic, underline;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const
        {
            return qHash(k.family) ^ (size_t(k.size) << 3) ^ (size_t(k.stretch) << 20) ^ (k.bold ? 1 : 0) ^ (k.italic ? 2 : 0) ^ (k.underline ? 4 : 0);
        }
    };
    static std::unordered_map<Key, QFont, KeyHash> cache;

    const int size = std::max(1, int(std::lround(def.pointSize * kTwipsPerPoint)));
    const Key key{mappedFamily(def.family), size, stretch, def.bold, def.italic, def.underline};
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    QFont f(key.family);
    f.setPixelSize(size);
    f.setBold(def.bold);
    f.setItalic(def.italic);
    f.setUnderline(def.underline);
    if (stretch != 100)
        f.setStretch(stretch);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::NoSubpixelAntialias));
    cache.emplace(key, f);
    return f;
}

} // namespace tav::report
