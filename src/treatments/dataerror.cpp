#include "treatments/dataerror.h"

#include "db/database.h"
#include "services/dialogs.h"
#include "services/globals.h"

#include <QMessageBox>

namespace tav {

void showDataError(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, kProductName,
                    QStringLiteral("Data error event hit err:") + messageLines(text), QMessageBox::Ok, owner);
    box.exec();
}

void showTrappedError(QWidget* owner, const QString& title, const db::DbError& e)
{
    const QString number = e.code().isEmpty() ? QStringLiteral("0") : e.code();
    QMessageBox::critical(owner, title, number + QLatin1Char('-') + messageLines(e.userText()));
}

} // namespace tav
