#include "modal_script.h"
#include "second_copy.h"

#include "db/upgrade.h"
#include "db/values.h"
#include "patients/prompts.h"
#include "services/enterkey.h"
#include "services/globals.h"
#include "shell/backup.h"
#include "shell/helpwindow.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Every case starts from the state the program starts with, whatever the
// case before it left behind; and a modal window that nobody answers fails
// its case instead of hanging the whole program.
class Isolation : public ::testing::EmptyTestEventListener {
public:
    Isolation()
    {
        watchdog_.setInterval(100);
        QObject::connect(&watchdog_, &QTimer::timeout, [this] { look(); });
    }

    void OnTestStart(const ::testing::TestInfo&) override
    {
        reset();
        waiting_ = nullptr;
        watchdog_.start();
    }

    void OnTestEnd(const ::testing::TestInfo&) override
    {
        watchdog_.stop();
        reset();
    }

private:
    static void reset()
    {
        tav::help::setHelpFile(QString());
        tav::backup::setFileChooser({});
        tav::db::setUpgradeStepHook({});
        tav::patients::prompts() = {};
        tav::Clock::setToday(QDate());
        tav::CurrentDoctorCode.clear();
        tav::CurrentDoctorName.clear();
        tav::PatientSearchMode = 0;
        tav::CardMode.clear();
        tav::ReportKind.clear();
        tav::MinutesLeftToday = 0;
        tav::CurrentUserUIN.clear();
        tav::PrintEGN.clear();
        tav::PrintDentalStatus = false;
        tav::loginVars() = {};
        if (tav::programEnding())
            testing_support::resetProgramEnd();
    }

    void look()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) {
            waiting_ = nullptr;
            return;
        }
        if (waiting_ != w) {
            waiting_ = w;
            since_.start();
            return;
        }
        if (since_.elapsed() < 20000)
            return;
        QString text = testing_support::ModalScript::textOf(w);
        if (text.isEmpty())
            text = w->windowTitle();
        ADD_FAILURE() << "a modal window waited with nobody to answer it: "
                      << (w->objectName().isEmpty() ? w->metaObject()->className() : qPrintable(w->objectName()))
                      << " \"" << text.toStdString() << "\"";
        waiting_ = nullptr;
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
    }

    QTimer watchdog_;
    QPointer<QWidget> waiting_;
    QElapsedTimer since_;
};

} // namespace

int main(int argc, char** argv)
{
    // Tests never need a display; forms are driven offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int helper = testing_support::runHelperIfAsked(QApplication::arguments());
    if (helper >= 0)
        return helper;
    tav::installEnterOnFocusedButton();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new Isolation);
    return RUN_ALL_TESTS();
}
