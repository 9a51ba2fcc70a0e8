#include "databind/datanavigator.h"

#include "databind/datacontrol.h"
#include "db/database.h"
#include "services/dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace tav {

namespace {
QToolButton* makeButton(QWidget* parent, const QString& name, const QString& text, const QString& tip)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumWidth(24);
    return b;
}
}

DataNavigator::DataNavigator(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    first_ = makeButton(this, QStringLiteral("cmdFirst"), QStringLiteral("|◄"), QStringLiteral("Първи запис"));
    previous_ = makeButton(this, QStringLiteral("cmdPrevious"), QStringLiteral("◄"), QStringLiteral("Предишен запис"));
    next_ = makeButton(this, QStringLiteral("cmdNext"), QStringLiteral("►"), QStringLiteral("Следващ запис"));
    last_ = makeButton(this, QStringLiteral("cmdLast"), QStringLiteral("►|"), QStringLiteral("Последен запис"));
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("lblCaption"));
    caption_->setFrameShape(QFrame::Panel);
    caption_->setFrameShadow(QFrame::Sunken);
    caption_->setContentsMargins(4, 0, 4, 0);
    caption_->setMinimumWidth(60);
    caption_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    row->addWidget(first_);
    row->addWidget(previous_);
    row->addWidget(caption_, 1);
    row->addWidget(next_);
    row->addWidget(last_);
    connect(first_, &QToolButton::clicked, this, [this] { move(&DataControl::moveFirst); });
    connect(previous_, &QToolButton::clicked, this, [this] { move(&DataControl::movePrevious); });
    connect(next_, &QToolButton::clicked, this, [this] { move(&DataControl::moveNext); });
    connect(last_, &QToolButton::clicked, this, [this] { move(&DataControl::moveLast); });
    updateState();
}

void DataNavigator::setDataControl(DataControl* data)
{
    if (data_)
        data_->disconnect(this);
    data_ = data;
    if (data_) {
        connect(data_, &DataControl::captionChanged, caption_, &QLabel::setText);
        connect(data_, &DataControl::reposition, this, &DataNavigator::updateState);
        connect(data_, &DataControl::rowsReset, this, &DataNavigator::updateState);
        connect(data_, &DataControl::rowInserted, this, &DataNavigator::updateState);
        connect(data_, &DataControl::rowRemoved, this, &DataNavigator::updateState);
        caption_->setText(data_->caption());
    }
    updateState();
}

QString DataNavigator::caption() const
{
    return caption_->text();
}

void DataNavigator::move(bool (DataControl::*step)())
{
    if (!data_)
        return;
    try {
        (data_.data()->*step)();
    } catch (const db::DbError& e) {
        InfoMessage(e.userText(), window());
    }
    updateState();
}

void DataNavigator::updateState()
{
    const int n = data_ ? data_->recordCount() : 0;
    const int pos = data_ ? data_->absolutePosition() : -1;
    const bool pastLast = n > 0 && pos < 0 && data_->eof();
    first_->setEnabled(n > 0 && pos != 0);
    previous_->setEnabled(pos > 0 || pastLast);
    next_->setEnabled(pos >= 0 && pos < n - 1);
    last_->setEnabled(n > 0 && pos != n - 1);
}

} // namespace tav
