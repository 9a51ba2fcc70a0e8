#pragma once
// A one-line label of the treatment form's header. Its text is shown as it
// is stored, as plain text on one line; a text wider than the label, or of
// more than one line, is cut at its end with "…", and the whole text is its
// tool tip.

#include <QLabel>

namespace tav {

class HeaderLine : public QLabel {
    Q_OBJECT
public:
    explicit HeaderLine(QWidget* parent = nullptr);

    // The width the text needs to be shown whole (its first line, when it has more).
    int neededWidth() const;
    // What the label shows of its text.
    QString shownText() const;
    bool isCut() const;
    // The tool tip for the text and the width as they are now.
    void refit();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // The first line, and whether more follow.
    QString firstLine(bool* more) const;
};

// Two labels of one row share `room`: each gets the width it needs when both
// fit, else the width it has by default, unless the other needs less than
// its own. The width of the first.
int SplitRow(int room, int firstNeeds, int secondNeeds, int firstDefault);

} // namespace tav
