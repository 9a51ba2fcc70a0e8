#pragma once
// The About box: product name and version, and a way to the system
// information tool found through the registry stand-in.

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui { class About; }

namespace tav {

class About : public QDialog {
    Q_OBJECT
public:
    explicit About(QWidget* owner = nullptr);
    ~About() override;

    // Finds and starts the system information tool, else says it cannot.
    void StartSysInfo();
    // True when the value was read; keyVal receives it (strings as they are,
    // double words as decimal text, other types leave keyVal unchanged).
    static bool GetKeyValue(quint32 keyRoot, const QString& keyName, const QString& subKeyRef, QString& keyVal);

    // Where StartSysInfo looks, or empty when the tool is not to be found.
    static QString SysInfoPath();

    static const QString& unavailableText();

private:
    std::unique_ptr<Ui::About> ui;
};

} // namespace tav
