#include "treatments/pathway.h"

#include "ui_pathway.h"

#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "db/database.h"
#include "db/values.h"
#include "services/sharedwindow.h"
#include "treatments/dataerror.h"
#include "treatments/denhelp.h"
#include "treatments/treatmentrecord.h"

#include <QHeaderView>
#include <QMessageBox>

namespace tav {

namespace {

SharedWindow<PathWay> g_instance;

using Format = DataControl::Format;

struct Column {
    const char* caption;
    const char* field;
    Format format;
    int twips;
};

struct KindDef {
    const char* table;
    std::initializer_list<Column> columns;
};

const KindDef kKinds[3] = {
    {"Path", {{"Дата", "Data", Format::Date, 1200}, {"Номер", "Nomer", Format::Text, 1500},
              {"СИМП", "SIMP", Format::Text, 1500}, {"ВСД", "BCD", Format::Text, 1500}}},
    {"Invest", {{"Дата", "Data", Format::Date, 1200}, {"Номер", "Nomer", Format::Text, 1500},
                {"Код 1", "Kod1", Format::Text, 1500}, {"Код 2", "Kod2", Format::Text, 1500}}},
    {"Spec", {{"Дата", "Data", Format::Date, 1200}, {"СИСП 1", "SISP1", Format::Text, 1500},
              {"СИСП 2", "SISP2", Format::Text, 1500}}},
};

} // namespace

PathWay* PathWay::instance()
{
    return g_instance;
}

void PathWay::showShared(QWidget* owner)
{
    g_instance.exec(owner);
}

PathWay::PathWay(QWidget* parent) : QDialog(parent), ui(new Ui::PathWay)
{
    ui->setupUi(this);
    g_instance.set(this);
    grids_ = {ui->grdPath, ui->grdInvest, ui->grdSpec};
    update_ = {ui->cmdUpdatePath, ui->cmdUpdateInvest, ui->cmdUpdateSpec};
    delete_ = {ui->cmdDeletePath, ui->cmdDeleteInvest, ui->cmdDeleteSpec};

    const QString egn = DenHelp::vars().sEGN;
    for (int i = 0; i < 3; ++i) {
        const Kind k = Kind(i);
        auto* data = new DataControl(this);
        data->setObjectName(QStringLiteral("Data%1").arg(i + 1));
        data->setRecordSource(QString::fromLatin1(kKinds[i].table), QStringLiteral("WHERE EGN = ? ORDER BY Data, RecID"),
                              {egn});
        // Only "Запиши" writes a referral, stamped; leaving a row drops what
        // was typed in it (a new row is not kept).
        connect(data, &DataControl::validate, this, [](int&, bool& save) { save = false; });
        data_[i] = data;

        DataGrid* g = grids_[i];
        for (const Column& c : kKinds[i].columns)
            g->addColumn(QString::fromUtf8(c.caption), QString::fromLatin1(c.field), c.format, c.twips);
        g->setAllowAddNew(true);
        g->horizontalHeader()->setStretchLastSection(true);
        connect(g, &DataGrid::gridClicked, this, [this, k] { selectGrid(k); });
        // Typing into a grid reached by the keyboard counts as a click in it.
        connect(g, &DataGrid::cellEdited, this, [this, k] { selectGrid(k); });
        connect(update_[i], &QPushButton::clicked, this, [this, k] { cmdUpdate_Click(k); });
        connect(delete_[i], &QPushButton::clicked, this, [this, k] { cmdDelete_Click(k); });
    }
    Data1 = data_[0];
    Data2 = data_[1];
    Data3 = data_[2];
    connect(ui->cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    for (int i = 0; i < 3; ++i) {
        data_[i]->refresh();
        grids_[i]->setDataControl(data_[i]);
        setPair(Kind(i), false);
    }
}

PathWay::~PathWay() = default;

DataControl* PathWay::data(Kind k) const
{
    return data_[k];
}

DataGrid* PathWay::grid(Kind k) const
{
    return grids_[k];
}

QPushButton* PathWay::updateButton(Kind k) const
{
    return update_[k];
}

QPushButton* PathWay::deleteButton(Kind k) const
{
    return delete_[k];
}

void PathWay::setPair(Kind k, bool enabled)
{
    update_[k]->setEnabled(enabled);
    delete_[k]->setEnabled(enabled);
}

void PathWay::selectGrid(Kind k)
{
    for (int i = 0; i < 3; ++i)
        setPair(Kind(i), i == k);
}

void PathWay::cmdUpdate_Click(Kind k)
{
    DataControl* data = data_[k];
    if (!grids_[k]->commitEdit())
        return;   // the grid said what is wrong with the cell
    if (!data->hasCurrent()) {
        QMessageBox::critical(this, kReferralSaveErrorTitle, kNoReferralRow);
        return;
    }
    const DenHelp::Vars& v = DenHelp::vars();
    if (trimBlanks(v.sEGN).isEmpty()) {
        // A referral without the patient would never be shown again.
        QMessageBox::critical(this, kReferralSaveErrorTitle, kNoReferralPatient);
        return;
    }
    try {
        db::Connection c = db::Connection::main();
        db::Transaction t(c);
        treatments::RequirePatient(c, v.sEGN);
        data->setField(QStringLiteral("EGN"), v.sEGN);
        data->setField(QStringLiteral("ListID"), nullIfEmpty(v.sListID));
        data->writeCurrent(c);
        t.commit();
        data->commitWritten();
    } catch (const db::DbError& e) {
        showTrappedError(this, kReferralSaveErrorTitle, e);
        return;
    }
    grids_[k]->viewport()->update();
    setPair(k, false);
}

void PathWay::cmdDelete_Click(Kind k)
{
    DataControl* data = data_[k];
    grids_[k]->cancelEdit();
    try {
        // Nothing to delete is no error: the buttons simply go off.
        data->deleteCurrent(DataControl::AfterDelete::StepBack);
    } catch (const db::DbError& e) {
        showTrappedError(this, kReferralDeleteErrorTitle, e);
        return;
    }
    setPair(k, false);
    // The buttons go grey under the focus: it goes to the grid, where the
    // next referral is typed, not on to a button that Enter would press.
    grids_[k]->setFocus();
}

void PathWay::done(int r)
{
    // Nothing is saved on closing: the validate handlers drop what is unsaved.
    for (int i = 0; i < 3; ++i) {
        grids_[i]->cancelEdit();
        data_[i]->close();
    }
    QDialog::done(r);
}

} // namespace tav
