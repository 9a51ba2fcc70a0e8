#include "statistics/seekdati.h"
#include "ui_seekdati.h"

#include "db/values.h"
#include "services/dialogs.h"
#include "services/sharedwindow.h"
#include "statistics/patientlists.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>

namespace tav::statistics {

namespace {

SharedWindow<SeekDati> g_dialog;

const QColor kGrey(0xC0, 0xC0, 0xC0);

// Characters 4-5 read as a number: leading blanks skipped, no digit reads 0.
int monthField(const QString& text)
{
    const QString f = text.mid(3, 2);
    int i = 0, value = 0;
    while (i < f.size() && f[i] == QLatin1Char(' '))
        ++i;
    for (; i < f.size() && f[i].isDigit() && f[i] < QChar(0x80); ++i)
        value = value * 10 + (f[i].unicode() - '0');
    return value;
}

// The trimmed text as a day: D or DD, M or MM and YYYY, each pair of them
// apart by one character that is not a digit.
std::optional<QDate> dayOf(const QString& typed)
{
    const QString t = trimBlanks(typed);
    int parts[3] = {0, 0, 0};
    int i = 0;
    for (int part = 0; part < 3; ++part) {
        const int begin = i;
        while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9') && i - begin < 4)
            parts[part] = parts[part] * 10 + (t[i++].unicode() - '0');
        const int digits = i - begin;
        if (part < 2) {
            if (digits < 1 || digits > 2 || i >= t.size() || (t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9')))
                return std::nullopt;
            ++i;
        } else if (digits != 4 || i != t.size()) {
            return std::nullopt;
        }
    }
    const QDate d(parts[2], parts[1], parts[0]);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

} // namespace

DatePair checkDatePair(const QString& start, const QString& stop)
{
    DatePair p;
    if (start.isEmpty() || stop.isEmpty())
        return p;
    if (start.size() != 10 || stop.size() != 10) {
        p.outcome = DatePair::DateWrong;
        return p;
    }
    if (monthField(start) > 12 || monthField(stop) > 12) {
        p.outcome = DatePair::MonthWrong;
        return p;
    }
    const auto a = dayOf(start), b = dayOf(stop);
    if (!a || !b) {
        p.outcome = DatePair::DateWrong;
        return p;
    }
    p.outcome = DatePair::Ok;
    p.start = *a;
    p.stop = *b;
    return p;
}

SeekDati::Vars& SeekDati::vars()
{
    static Vars v;
    return v;
}

SeekDati* SeekDati::instance()
{
    return g_dialog;
}

SeekDati* SeekDati::showShared()
{
    return g_dialog.show();
}

void SeekDati::unloadShared()
{
    g_dialog.close();
}

SeekDati::SeekDati(QWidget* parent) : QDialog(parent), ui(new Ui::SeekDati)
{
    ui->setupUi(this);
    setModal(false);
    setFixedSize(size());
    g_dialog.adopt(this);
    // Frame captions dark blue, the format hint red; the other labels black.
    for (QGroupBox* frame : {ui->Frame4, ui->Frame1, ui->Frame6}) {
        QPalette p = frame->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 0xC0));
        frame->setPalette(p);
        for (QLabel* l : frame->findChildren<QLabel*>()) {
            QPalette lp = l->palette();
            lp.setColor(QPalette::WindowText, l == ui->Label1_5 ? QColor(Qt::red) : QColor(Qt::black));
            l->setPalette(lp);
        }
    }
    for (int n = 2; n <= 5; ++n) {
        QComboBox* c = combo(n);
        setBack(c, false);
        c->installEventFilter(this);
        c->view()->window()->installEventFilter(this);
        connect(c, &QComboBox::editTextChanged, this, [this, n](const QString& text) {
            comboText(n, text);
            ui->SeekButton->setDefault(true);
        });
        if (n != 3)
            connect(c, &QComboBox::activated, this, [this, n, c](int) { comboText(n, c->currentText()); });
    }
    for (int pair = 0; pair < 3; ++pair)
        for (int i = 0; i < 2; ++i) {
            setBack(dateBox(pair, i), false);
            dateBox(pair, i)->installEventFilter(this);
        }
    connect(ui->SeekButton, &QPushButton::clicked, this, &SeekDati::SeekButton_Click);
    connect(ui->CancelButton, &QPushButton::clicked, this, &SeekDati::CancelButton_Click);
    ui->Combo2->setFocus(Qt::OtherFocusReason);
    setBack(ui->Combo2, true);
}

SeekDati::~SeekDati() = default;

QLineEdit* SeekDati::dateBox(int pair, int index) const
{
    QLineEdit* boxes[3][2] = {{ui->Text1_0, ui->Text1_1}, {ui->Text2_0, ui->Text2_1}, {ui->Text3_0, ui->Text3_1}};
    return boxes[pair][index];
}

QComboBox* SeekDati::combo(int n) const
{
    switch (n) {
    case 2: return ui->Combo2;
    case 3: return ui->Combo3;
    case 4: return ui->Combo4;
    default: return ui->Combo5;
    }
}

void SeekDati::setBack(QWidget* w, bool white)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, white ? QColor(Qt::white) : kGrey);
    w->setPalette(p);
}

void SeekDati::comboText(int n, const QString& text)
{
    const QString value = trimBlanks(text).toUpper();
    switch (n) {
    case 2: vars().sSeekRepTawn = value; break;
    case 3: vars().sSeekRepAdres = value; break;
    case 4: sBlood_ = value; break;
    default: sIntolerance_ = value; break;
    }
}

bool SeekDati::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) {
        const bool in = e->type() == QEvent::FocusIn;
        for (int n = 2; n <= 5; ++n)
            if (watched == combo(n))
                setBack(combo(n), in);
        for (int pair = 0; pair < 3; ++pair) {
            if (watched != dateBox(pair, 0) && watched != dateBox(pair, 1))
                continue;
            setBack(dateBox(pair, 0), in);
            setBack(dateBox(pair, 1), in);
            // Entering one range empties the other two.
            if (in)
                for (int other = 0; other < 3; ++other)
                    if (other != pair) {
                        dateBox(other, 0)->clear();
                        dateBox(other, 1)->clear();
                    }
        }
    } else if (e->type() == QEvent::Show) {
        for (int n = 2; n <= 5; ++n)
            if (watched == combo(n)->view()->window())
                setBack(combo(n), true);
    }
    return QDialog::eventFilter(watched, e);
}

void SeekDati::SeekButton_Click()
{
    static const char* kinds[] = {"1", "2", "3"};
    for (int pair = 0; pair < 3; ++pair) {
        const DatePair p = checkDatePair(dateBox(pair, 0)->text(), dateBox(pair, 1)->text());
        if (p.outcome == DatePair::Skipped)
            continue;
        if (p.outcome != DatePair::Ok) {
            InfoMessage(p.outcome == DatePair::MonthWrong ? kMsgMonthWrong : kMsgDateWrong, this);
            continue;
        }
        Vars& v = vars();
        v.sDataStart = toMMDDYYYY(p.start);
        v.sDataStop = toMMDDYYYY(p.stop);
        v.dStart = p.start;
        v.dStop = p.stop;
        v.sVidSpr = QString::fromLatin1(kinds[pair]);
        try {
            showPatientList(v.sVidSpr);
        } catch (const db::DbError& e) {
            InfoMessage(e.userText(), this);
        }
    }
}

void SeekDati::closeEvent(QCloseEvent* e)
{
    // The next show makes a new dialog, even before this one is destroyed.
    g_dialog.release(this);
    QDialog::closeEvent(e);
}

void SeekDati::CancelButton_Click()
{
    InfoMessage(kMsgNoConditions, this);
    close();
}

} // namespace tav::statistics
