#pragma once

#include "core/cutting/cutplan.h"

#include <QAbstractScrollArea>

namespace tarvex {

// The bars of one code drawn to scale, one strip per bar: every piece a box
// labelled with its length and window (in the plan's unit), the offcut (and
// the end trim) hatched, a bar cut from a remnant marked "余". Only the strips in view are painted, so a code of
// thousands of bars scrolls at once.
class CutBarsView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CutBarsView(QWidget *parent = nullptr);

    // Shows no bars with an empty code; plan gives the settings and the
    // window numbers that need their series.
    void setCode(const CodePlan &code, const CutPlan &plan);
    const CodePlan &code() const { return m_code; }

    int rowHeight() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateScrollBar();
    void paintBar(QPainter &painter, int index, const QRect &row);

    CodePlan m_code;
    CutPlan m_plan; // without its codes
};

} // namespace tarvex
