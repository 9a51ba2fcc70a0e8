#pragma once
// The one window of a kind the program keeps open at a time: made on first
// use, deleted when closed, brought to the front when asked for again.

#include "db/database.h"
#include "services/dialogs.h"
#include "services/ownedwindow.h"
#include "services/program.h"

#include <QPointer>
#include <QWidget>
#include <memory>

namespace tav {

template <class W>
class SharedWindow {
public:
    operator W*() const { return w_.data(); }
    W* operator->() const { return w_.data(); }

    // A window made elsewhere becomes the shared one; `adopt` only where
    // there is none yet.
    void set(W* w) { w_ = w; }
    void adopt(W* w)
    {
        if (!w_)
            w_ = w;
    }
    // Forgets `w`: the next show makes a new window, even before `w` is destroyed.
    void release(W* w)
    {
        if (w_ == w)
            w_ = nullptr;
    }

    // The window, made first under `parent` (else the main window) and
    // deleted when closed.
    W* create(QWidget* parent = nullptr)
    {
        if (!w_) {
            w_ = new W(parent ? parent : mainWindow());
            w_->setAttribute(Qt::WA_DeleteOnClose);
        }
        return w_;
    }

    // The window, made if need be, shown as a modeless window of its owner.
    W* show(QWidget* parent = nullptr)
    {
        create(parent);
        showOwnedWindow(w_);
        return w_;
    }

    void close()
    {
        if (w_)
            w_->close();
    }

    // A modal window: one already open comes to the front; else a new one
    // runs owned by `owner`. A database error while it is made is shown and
    // nothing opens.
    void exec(QWidget* owner)
    {
        if (w_) {
            w_->raise();
            w_->activateWindow();
            return;
        }
        std::unique_ptr<W> dlg;
        try {
            dlg = std::make_unique<W>(owner);
        } catch (const db::DbError& e) {
            InfoMessage(e.userText(), owner);
            return;
        }
        w_ = dlg.get();
        execOwnedDialog(*dlg, owner);
    }

private:
    QPointer<W> w_;
};

} // namespace tav
