#pragma once
// The maker's support page, opened in the user's browser.

#include <QString>

namespace tav::support {

// The page's address: TAVLINORA_SUPPORT_URL when set, else the built-in one.
QString pageUrl();
void setPageUrl(const QString& url);   // tests
// Opens the page without waiting; false when no browser took it.
bool openPage();

} // namespace tav::support
