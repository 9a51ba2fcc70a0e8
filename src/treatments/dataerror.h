#pragma once
// Messages the data-bound windows of the treatment records share.

#include <QString>

class QWidget;

namespace tav::db { class DbError; }

namespace tav {

// Closing with an edit that could not be written.
inline const QString kCloseUnwrittenQuestion = QStringLiteral("Данните не са записани.\rЗатваряте ли без запис?");

// The data control's error event: a standard message box with
// "Data error event hit err:" and the error's text.
void showDataError(QWidget* owner, const QString& text);

// A trapped failure of a save or delete: a box with the critical-stop icon,
// the given title and "number-description" (number 0 where the engine gave
// none).
void showTrappedError(QWidget* owner, const QString& title, const db::DbError& e);

} // namespace tav
