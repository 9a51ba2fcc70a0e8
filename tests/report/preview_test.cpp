#include "fixtures.h"
#include "report/preview.h"
#include "report/report.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QWindow>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tav::report;
using namespace report_fixtures;

namespace {

QStringList g_log;

class rprProba : public SharedReport<rprProba> {
public:
    rprProba()
        : SharedReport(report_fixtures::layout(R"(
            {"name": "PageHeader", "kind": "pageHeader", "height": 400, "controls": [
                {"type": "label", "name": "Label1", "rect": [0, 0, 6000, 300], "font": {"size": 12, "bold": true}}]},
            {"name": "Detail", "kind": "detail", "height": 300, "controls": [
                {"type": "textBox", "name": "Text1", "rect": [0, 0, 3000, 255], "field": "Name"},
                {"type": "textBox", "name": "Text2", "rect": [3000, 0, 1000, 255], "field": "N", "align": "right"},
                {"type": "line", "name": "Line1", "line": [0, 285, 4000, 285]}]})"))
    {
    }

protected:
    void initialize() override
    {
        g_log << "Initialize";
        control("PageHeader", "Label1").setCaption("Списък на пациентите");
        setRows(numberedRows(120));
    }
    void terminate() override { g_log << "Terminate"; }
};

void deleteClosed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

} // namespace

TEST(ReportPreview, OneSharedInstanceThatEndsWithItsWindow)
{
    g_log.clear();
    ASSERT_EQ(rprProba::instance(), nullptr);
    rprProba* r = rprProba::showShared();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(rprProba::instance(), r);
    auto* w = qobject_cast<ReportPreview*>(r->preview());
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Проба");
    EXPECT_EQ(g_log, QStringList({"Initialize"}));

    // Asked again while open: the same preview, not filled again.
    EXPECT_EQ(rprProba::showShared(), r);
    EXPECT_EQ(g_log, QStringList({"Initialize"}));

    // 120 rows of 300 under a header of 400: 48 on each full page.
    EXPECT_EQ(w->pageCount(), 3);
    EXPECT_EQ(w->currentPage(), 1);
    w->nextPage();
    EXPECT_EQ(w->currentPage(), 2);
    w->lastPage();
    EXPECT_EQ(w->currentPage(), 3);
    w->nextPage();
    EXPECT_EQ(w->currentPage(), 3);
    w->setPage(0);
    EXPECT_EQ(w->currentPage(), 1);
    w->findChild<QSpinBox*>("txtPage")->setValue(2);
    EXPECT_EQ(w->currentPage(), 2);
    w->setZoom(1.5);
    EXPECT_DOUBLE_EQ(w->zoom(), 1.5);
    w->fitPage();
    EXPECT_LT(w->zoom(), 1.5);

    QTemporaryDir dir;
    EXPECT_TRUE(w->saveAsPdf(dir.filePath("proba.pdf")));
    QFile pdf(dir.filePath("proba.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().contains("/Type /Page"));

    w->fitWidth();
    w->resize(900, 700);
    QApplication::processEvents();
    if (!qEnvironmentVariableIsEmpty("TAV_REPORT_PDF_DIR"))
        w->grab().save(QDir(qEnvironmentVariable("TAV_REPORT_PDF_DIR")).filePath("preview.png"));

    w->close();
    deleteClosed();
    EXPECT_EQ(g_log, QStringList({"Initialize", "Terminate"}));
    EXPECT_EQ(rprProba::instance(), nullptr);

    // The next show is a new instance from the design.
    rprProba* again = rprProba::showShared();
    EXPECT_EQ(g_log, QStringList({"Initialize", "Terminate", "Initialize"}));
    again->preview()->close();
    deleteClosed();
    EXPECT_EQ(rprProba::instance(), nullptr);
}

namespace {

// A report captioned from stored text, as a patient's name.
class rprCaptioned : public SharedReport<rprCaptioned> {
public:
    rprCaptioned()
        : SharedReport(report_fixtures::layout(R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
              {"type": "textBox", "name": "Text1", "rect": [0, 0, 3000, 255], "field": "Name"}]})"))
    {
    }
    static inline QString caption;

protected:
    void initialize() override
    {
        layout().caption = caption;
        setRows(numberedRows(1));
    }
};

} // namespace

TEST(ReportPreview, ItsTitleShowsAStoredCaptionAsItStands)
{
    // A single "[*]" is where Qt puts its modified-mark; a caption keeps it.
    const QList<QPair<QString, QString>> captions = {
        {"Картон на Иван [*] Петров", "Картон на Иван [*] Петров"}, {"[*]", "[*]"}, {"А[*][*]", "А[*][*]"}};
    for (const auto& [caption, seen] : captions) {
        SCOPED_TRACE(caption.toStdString());
        rprCaptioned::caption = caption;
        rprCaptioned* r = rprCaptioned::showShared();
        ASSERT_NE(r, nullptr);
        QWidget* w = r->preview();
        ASSERT_TRUE(w && w->windowHandle());
        EXPECT_EQ(w->windowHandle()->title(), seen);
        w->close();
        deleteClosed();
    }
}

TEST(ReportPreview, ItsWindowFitsOnASmallScreen)
{
    // The test screen is smaller than the preview's own size: the window
    // and the foot of its page stay on it.
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    rprProba* r = rprProba::showShared();
    QWidget* w = r->preview();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(avail.contains(w->frameGeometry())) << w->width() << "x" << w->height();
    w->close();
    deleteClosed();
}

namespace {

// Bound to a command that has no text: its start fails.
class rprBroken : public SharedReport<rprBroken> {
public:
    rprBroken() : SharedReport(report_fixtures::layout(R"({"name": "Detail", "kind": "detail", "height": 300})", R"("dataMember": "comMany")")) {}

protected:
    void initialize() override { g_log << "Initialize"; }
    void terminate() override { g_log << "Terminate"; }
};

} // namespace

TEST(ReportPreview, AFailedStartLeavesNoInstance)
{
    g_log.clear();
    EXPECT_THROW(rprBroken::showShared(), tav::db::DbError);
    EXPECT_EQ(rprBroken::instance(), nullptr);
    EXPECT_EQ(g_log, QStringList({"Initialize", "Terminate"}));   // what Initialize set up is undone
}

TEST(ReportPreview, ASaveThatFailsSaysSo)
{
    Report r(layout(R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
        {"type": "label", "name": "Label1", "rect": [0, 0, 3000, 255], "caption": "А"}]})"));
    r.start();
    QString error;
    EXPECT_FALSE(r.renderToPdf("/nonexistent-folder/x.pdf", &error));
    EXPECT_TRUE(error.contains("/nonexistent-folder/x.pdf"));
}

// A printout holds patients' names and EGNs: saved as PDF or printed to a
// PDF file, it is its owner's alone, whatever the umask or the modes of the
// file it replaces.
TEST(ReportPreview, PdfFilesAreTheOwnersAlone)
{
    Report r(layout(R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
        {"type": "label", "name": "Label1", "rect": [0, 0, 3000, 255], "caption": "7501011234"}]})"));
    r.start();
    QTemporaryDir dir;
    const mode_t before = ::umask(0);
    for (const mode_t mask : {mode_t(0), mode_t(022)}) {
        ::umask(mask);
        for (const bool replacing : {false, true}) {
            SCOPED_TRACE(testing::Message() << "umask " << mask << (replacing ? ", over a file open to all" : ""));
            const QString saved = dir.filePath("saved.pdf"), printed = dir.filePath("printed.pdf");
            for (const QString& f : {saved, printed}) {
                QFile::remove(f);
                if (replacing) {
                    QFile old(f);
                    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
                    ASSERT_TRUE(old.setPermissions(QFileDevice::Permissions(0x6666)));
                }
            }
            ASSERT_TRUE(r.renderToPdf(saved));
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            ASSERT_TRUE(r.print(printer));
            for (const QString& f : {saved, printed}) {
                EXPECT_EQ(testing_support::modeOf(f), 0600) << f.toStdString();
                QFile pdf(f);
                ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
                EXPECT_TRUE(pdf.read(5) == "%PDF-") << f.toStdString();
            }
        }
    }
    ::umask(before);
}

namespace {

// A report whose Terminate fails, as one that closes its data can.
class rprFailingEnd : public SharedReport<rprFailingEnd> {
public:
    rprFailingEnd()
        : SharedReport(report_fixtures::layout(R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
              {"type": "textBox", "name": "Text1", "rect": [0, 0, 3000, 255], "field": "Name"}]})"))
    {
    }

protected:
    void initialize() override { setRows(numberedRows(2)); }
    void terminate() override
    {
        ++terminations;
        throw tav::db::DbError(QStringLiteral("Грешка при затваряне на справката"));
    }

public:
    static inline int terminations = 0;
};

// Laid out after its start, the layout names a field the rows do not have.
class rprBadField : public SharedReport<rprBadField> {
public:
    rprBadField()
        : SharedReport(report_fixtures::layout(R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
              {"type": "textBox", "name": "Text1", "rect": [0, 0, 3000, 255], "field": "Nme"}]})"))
    {
    }

protected:
    void initialize() override
    {
        g_log << "Initialize";
        setRows(numberedRows(2));
    }
    void terminate() override { g_log << "Terminate"; }
};

} // namespace

TEST(ReportPreview, ATerminateThatFailsIsShownAndThePreviewStillCloses)
{
    using testing_support::ModalScript;
    // Closed by its window.
    {
        rprFailingEnd::terminations = 0;
        rprFailingEnd* r = rprFailingEnd::showShared();
        QPointer<QWidget> w = r->preview();
        QString shown;
        ModalScript script;
        script.click("InfDialog", "OKButton", &shown);
        w->close();
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(shown, "Грешка при затваряне на справката");
        deleteClosed();
        EXPECT_TRUE(w.isNull());
        EXPECT_EQ(rprFailingEnd::instance(), nullptr);
        EXPECT_EQ(rprFailingEnd::terminations, 1);
    }
    // Destroyed without a close (its owner went first).
    {
        rprFailingEnd::terminations = 0;
        rprFailingEnd* r = rprFailingEnd::showShared();
        QWidget* w = r->preview();
        QString shown;
        ModalScript script;
        script.click("InfDialog", "OKButton", &shown);
        delete w;
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(shown, "Грешка при затваряне на справката");
        EXPECT_EQ(rprFailingEnd::instance(), nullptr);
        EXPECT_EQ(rprFailingEnd::terminations, 1);
    }
}

TEST(ReportPreview, ALayoutThatFailsAfterTheStartStillTerminates)
{
    g_log.clear();
    EXPECT_THROW(rprBadField::showShared(), LayoutError);
    EXPECT_EQ(g_log, QStringList({"Initialize", "Terminate"}));
    EXPECT_EQ(rprBadField::instance(), nullptr);
}

TEST(ReportPreview, ClosedByTheProgramTheNextShowFillsANewInstanceAtOnce)
{
    g_log.clear();
    rprProba* first = rprProba::showShared();
    QPointer<QWidget> firstWindow = first->preview();
    rprProba::closeShared();
    // Ended now; its window goes later, yet the next show is a new instance.
    EXPECT_EQ(g_log, QStringList({"Initialize", "Terminate"}));
    EXPECT_EQ(rprProba::instance(), nullptr);
    EXPECT_FALSE(firstWindow->isVisible());
    rprProba* second = rprProba::showShared();
    EXPECT_NE(second->preview(), firstWindow.data());
    EXPECT_EQ(g_log, QStringList({"Initialize", "Terminate", "Initialize"}));
    deleteClosed();
    EXPECT_TRUE(firstWindow.isNull());
    EXPECT_EQ(rprProba::instance(), second);   // the old instance's end leaves the new one in place
    rprProba::closeShared();
    rprProba::closeShared();   // nothing open: nothing happens
    deleteClosed();
    EXPECT_EQ(g_log, QStringList({"Initialize", "Terminate", "Initialize", "Terminate"}));
    EXPECT_EQ(rprProba::instance(), nullptr);
}

TEST(ReportPreview, PageKeysTurnThePagesWhereverTheFocusIs)
{
    rprProba* r = rprProba::showShared();
    auto* w = qobject_cast<ReportPreview*>(r->preview());
    ASSERT_NE(w, nullptr);
    // The window opens with the focus in the page number; the page itself may take it too.
    for (QWidget* focus : {static_cast<QWidget*>(w->findChild<QSpinBox*>("txtPage")),
                           static_cast<QWidget*>(w->findChild<QScrollArea*>())}) {
        SCOPED_TRACE(focus->metaObject()->className());
        w->fitPage();   // the whole page in the window: nothing to scroll
        w->firstPage();
        struct Step {
            Qt::Key key;
            Qt::KeyboardModifiers mods;
            int page;
        };
        const Step steps[] = {
            {Qt::Key_PageDown, Qt::NoModifier, 2}, {Qt::Key_PageDown, Qt::NoModifier, 3},
            {Qt::Key_PageDown, Qt::NoModifier, 3}, {Qt::Key_PageUp, Qt::NoModifier, 2},
            {Qt::Key_Home, Qt::ControlModifier, 1}, {Qt::Key_End, Qt::ControlModifier, 3},
        };
        for (const Step& s : steps) {
            QTest::keyClick(focus, s.key, s.mods);
            EXPECT_EQ(w->currentPage(), s.page) << QKeySequence(s.key | s.mods).toString().toStdString();
        }
    }
    // A page taller than the window: Page Down reads it to its end first.
    w->resize(900, 500);
    w->fitWidth();
    QApplication::processEvents();
    w->firstPage();
    auto* page = w->findChild<QScrollArea*>();
    QScrollBar* bar = page->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    int presses = 0;
    while (w->currentPage() == 1 && presses < 20) {
        QTest::keyClick(page, Qt::Key_PageDown);
        ++presses;
        if (w->currentPage() == 1) {
            EXPECT_GT(bar->value(), 0);
        }
    }
    EXPECT_GT(presses, 1);
    EXPECT_EQ(w->currentPage(), 2);
    EXPECT_EQ(bar->value(), 0);
    QTest::keyClick(page, Qt::Key_PageUp);   // back to the end of page 1
    EXPECT_EQ(w->currentPage(), 1);
    EXPECT_EQ(bar->value(), bar->maximum());
    rprProba::closeShared();
    deleteClosed();
}
