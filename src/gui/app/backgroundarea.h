#pragma once

#include <QMdiArea>
#include <QPixmap>

namespace tarvex {

// The client area, with the background picture drawn to fill it.
class BackgroundArea : public QMdiArea {
    Q_OBJECT
public:
    using QMdiArea::QMdiArea;

    void setPicture(const QPixmap &picture);
    bool hasPicture() const { return !m_picture.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

} // namespace tarvex
