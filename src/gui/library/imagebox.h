#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace tarvex {

// A preview picture box (Tu1..Tu20): the picture scaled to fit, keeping its
// proportions, and a border when it is the selected one.
class ImageBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int BorderStyle READ borderStyle WRITE setBorderStyle)
public:
    explicit ImageBox(QWidget *parent = nullptr);

    // 0 none, 1 fixed single (the selected picture).
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);

    void setPicture(const QImage &picture);
    void clearPicture();
    bool hasPicture() const { return !m_picture.isNull(); }

signals:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage m_picture;
    QPixmap m_scaled; // the picture at the box's size, made when painted
    int m_borderStyle = 0;
};

} // namespace tarvex
