#include "shell/support.h"

#include <QDesktopServices>
#include <QUrl>

namespace tav::support {

namespace {
QString g_url;
}

QString pageUrl()
{
    if (!g_url.isEmpty())
        return g_url;
    const QString fromEnv = qEnvironmentVariable("TAVLINORA_SUPPORT_URL");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QStringLiteral("https://www.tavlinora.example/support");
}

void setPageUrl(const QString& url)
{
    g_url = url;
}

bool openPage()
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(pageUrl()));
}

} // namespace tav::support
