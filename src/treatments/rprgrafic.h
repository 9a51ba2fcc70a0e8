#pragma once
// The printed day of the appointment book: the day is asked for when the
// report starts (tomorrow when none is chosen), and the heading and the rows
// both come from that one day.

#include "report/report.h"

#include <QDate>
#include <optional>

namespace tav {

// The heading's day: "DD.MM.YYYY - weekday".
QString graficHeading(const QDate& day);

class rprGrafic : public report::SharedReport<rprGrafic> {
public:
    // Asks for the day with the date prompt.
    rprGrafic();
    // Prints the given day without asking.
    explicit rprGrafic(const QDate& day);

    // The day printed (valid once the report has started).
    QDate day() const { return day_; }

protected:
    void initialize() override;

private:
    std::optional<QDate> given_;
    QDate day_;
};

inline const QString kGraficPrompt = QStringLiteral("Изберете дата за изготвяне на графика.");

} // namespace tav
