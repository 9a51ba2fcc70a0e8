#pragma once
// What the printed patient records share: one shared instance per report,
// whose closed preview takes the window that launched it along.

#include "report/report.h"

#include <functional>
#include <utility>

namespace tav::printing {

template <class T>
class Printout : public report::SharedReport<T> {
public:
    Printout(const QString& layoutPath, std::function<void()> onClosed)
        : report::SharedReport<T>(layoutPath), onClosed_(std::move(onClosed))
    {
    }

    // Closed to make room for a new print of the same report: the window
    // that asks for it stays open.
    void forgetCaller() { onClosed_ = nullptr; }

    // Ends the open preview of this report, if any, without its caller.
    static void closeForNewPrint()
    {
        if (T* live = T::instance()) {
            live->forgetCaller();
            T::closeShared();
        }
    }

protected:
    // Only a report that was shown closes its caller: one that failed to
    // open leaves the asking window in place with the error.
    void terminate() override
    {
        auto closed = std::exchange(onClosed_, nullptr);
        if (closed && this->preview())
            closed();
    }

private:
    std::function<void()> onClosed_;
};

} // namespace tav::printing
