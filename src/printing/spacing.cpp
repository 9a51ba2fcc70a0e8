#include "printing/spacing.h"

namespace tav {

namespace {

QString spread(const QString& text, const QString& separator)
{
    QString out = text.left(1);
    out.reserve(10 + 9 * separator.size());
    for (int p = 1; p < 10; ++p) {
        out += separator;
        if (p < text.size())
            out += text[p];
    }
    return out;
}

} // namespace

QString SpreadTextWide(const QString& text)
{
    return spread(text, QStringLiteral("  "));
}

QString SpreadTextNarrow(const QString& text)
{
    return spread(text, QStringLiteral(" "));
}

} // namespace tav
