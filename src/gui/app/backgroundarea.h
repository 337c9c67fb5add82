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

signals:
    // The client area took a new size (the main window shown or resized).
    void resized();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPixmap m_picture;
};

} // namespace tarvex
