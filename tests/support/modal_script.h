#pragma once
// Answers the modal windows that a call under test opens, one after the
// other: each step waits for the next new modal window of the given name
// (objectName or class name), then acts on it.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QElapsedTimer>
#include <QVector>
#include <functional>

#include "services/program.h"

namespace testing_support {

class ModalScript {
public:
    using Action = std::function<void(QWidget*)>;

    ModalScript()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    ~ModalScript() { timer_.stop(); }

    // Adds a step; the first step starts the polling.
    ModalScript& then(const QString& windowName, Action action)
    {
        steps_.push_back({windowName, std::move(action), false});
        return *this;
    }
    // A step on a window that an earlier step already acted on (one that
    // stayed open, e.g. after its message).
    ModalScript& again(const QString& windowName, Action action)
    {
        steps_.push_back({windowName, std::move(action), true});
        return *this;
    }
    // Notes the window's text and clicks the button of that objectName
    // (or, for a message box, its only or accepting button).
    ModalScript& click(const QString& windowName, const QString& buttonName, QString* seenText = nullptr)
    {
        return then(windowName, [buttonName, seenText](QWidget* w) {
            if (seenText)
                *seenText = textOf(w);
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                QAbstractButton* b = box->buttons().value(0);
                if (b)
                    b->click();
                return;
            }
            if (auto* b = w->findChild<QAbstractButton*>(buttonName))
                b->click();
        });
    }
    // Closes the window as its frame would.
    ModalScript& closeFrame(const QString& windowName)
    {
        return then(windowName, [](QWidget* w) { w->close(); });
    }

    int done() const { return done_; }
    bool finished() const { return done_ == steps_.size(); }
    QStringList seenWindows() const { return seen_; }
    // Modal windows that no step expected; each was closed after a while.
    QStringList unexpected() const { return unexpected_; }

    static QString textOf(QWidget* w)
    {
        if (auto* box = qobject_cast<QMessageBox*>(w))
            return box->text();
        if (auto* l = w->findChild<QLabel*>(QStringLiteral("Label1")))
            return l->text();
        return {};
    }

private:
    struct Step {
        QString name;
        Action action;
        bool again = false;
    };

    static bool matches(QWidget* w, const QString& name)
    {
        const QString cls = QString::fromLatin1(w->metaObject()->className());
        return w->objectName() == name || cls == name || cls == QStringLiteral("tav::") + name;
    }

    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        const bool repeatStep = done_ < steps_.size() && steps_[done_].again;
        if (!w || !w->isVisible() || (handled_.contains(w) && !repeatStep)) {
            stray_ = nullptr;
            return;
        }
        if (done_ >= steps_.size() || !matches(w, steps_[done_].name)) {
            // A window nobody answers would hang the test: close it.
            if (stray_ != w) {
                stray_ = w;
                strayTime_.start();
            } else if (strayTime_.elapsed() > 3000) {
                unexpected_ << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                          : w->objectName());
                handled_.push_back(w);
                w->close();
            }
            return;
        }
        const Step& s = steps_[done_];
        if (!handled_.contains(w))
            handled_.push_back(w);
        seen_ << s.name;
        ++done_;
        // Acted on outside this timer's slot, so that a window the action
        // opens is answered by the next step.
        QPointer<QWidget> target = w;
        Action act = s.action;
        QTimer::singleShot(0, [target, act] {
            if (target)
                act(target);
        });
    }

    QTimer timer_;
    QVector<Step> steps_;
    QVector<QPointer<QWidget>> handled_;
    QStringList seen_;
    QStringList unexpected_;
    QPointer<QWidget> stray_;
    QElapsedTimer strayTime_;
    int done_ = 0;
};

// endProgram() asks every event loop to quit, and a modal window shown
// afterwards would return at once; one pass of an application loop clears
// that for the next case.
inline void resetProgramEnd()
{
    tav::resetProgramEnding();
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

} // namespace testing_support
