#include "treatments/denhelp.h"

namespace tav {

namespace {
int g_requests = 0;
}

DenHelp::Vars& DenHelp::vars()
{
    static Vars v;
    return v;
}

void DenHelp::showShared(QWidget*)
{
    // Nothing to show yet; the request is counted.
    ++g_requests;
}

int DenHelp::showRequests()
{
    return g_requests;
}

void DenHelp::resetShowRequests()
{
    g_requests = 0;
}

} // namespace tav
