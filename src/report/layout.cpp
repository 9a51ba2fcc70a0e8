#include "report/layout.h"

#include <stdexcept>

namespace tav::report {

namespace {

[[noreturn]] void missing(const char* what, const QString& which)
{
    throw std::out_of_range(QStringLiteral("%1 \"%2\" не съществува").arg(QString::fromUtf8(what), which).toStdString());
}

} // namespace

Control* Section::find(const QString& name)
{
    for (Control& c : controls)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const Control* Section::find(const QString& name) const
{
    return const_cast<Section*>(this)->find(name);
}

Control& Section::control(const QString& name)
{
    if (Control* c = find(name))
        return *c;
    missing("Контролата", this->name + "." + name);
}

const Control& Section::control(const QString& name) const
{
    return const_cast<Section*>(this)->control(name);
}

Control& Section::control(int position)
{
    if (position < 1 || position > controls.size())
        missing("Контролата", this->name + "(" + QString::number(position) + ")");
    return controls[position - 1];
}

const Control& Section::control(int position) const
{
    return const_cast<Section*>(this)->control(position);
}

Section* Layout::find(const QString& sectionName)
{
    for (Section& s : sections)
        if (s.name.compare(sectionName, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

Section* Layout::find(SectionKind kind)
{
    for (Section& s : sections)
        if (s.kind == kind)
            return &s;
    return nullptr;
}

const Section* Layout::find(SectionKind kind) const
{
    return const_cast<Layout*>(this)->find(kind);
}

Section& Layout::section(const QString& sectionName)
{
    if (Section* s = find(sectionName))
        return *s;
    missing("Секцията", sectionName);
}

const Section& Layout::section(const QString& sectionName) const
{
    return const_cast<Layout*>(this)->section(sectionName);
}

Section& Layout::section(int position)
{
    if (position < 1 || position > sections.size())
        missing("Секцията", QString::number(position));
    return sections[position - 1];
}

const Section& Layout::section(int position) const
{
    return const_cast<Layout*>(this)->section(position);
}

Section& Layout::section(SectionKind kind)
{
    if (Section* s = find(kind))
        return *s;
    missing("Секцията", sectionKindName(kind));
}

Control& Layout::control(const QString& sectionName, const QString& controlName)
{
    return section(sectionName).control(controlName);
}

QString sectionKindName(SectionKind k)
{
    switch (k) {
    case SectionKind::ReportHeader: return QStringLiteral("reportHeader");
    case SectionKind::PageHeader: return QStringLiteral("pageHeader");
    case SectionKind::Detail: return QStringLiteral("detail");
    case SectionKind::PageFooter: return QStringLiteral("pageFooter");
    case SectionKind::ReportFooter: return QStringLiteral("reportFooter");
    }
    return {};
}

} // namespace tav::report
