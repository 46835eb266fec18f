#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QWidget>

// Helpers for driving widgets that are never shown.
namespace PaletteTestUtil {

// Resizes a hidden widget and delivers the resize event at once.
inline void resizeNow(QWidget &widget, const QSize &size)
{
    const QSize old = widget.size();
    widget.resize(size);
    QResizeEvent event(size, old);
    QCoreApplication::sendEvent(&widget, &event);
    widget.setAttribute(Qt::WA_PendingResizeEvent, false);
}

inline void press(QWidget &widget, const QPoint &position, Qt::MouseButton button)
{
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(position), widget.mapToGlobal(QPointF(position)),
        button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

inline void doubleClick(QWidget &widget, const QPoint &position)
{
    QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(position), widget.mapToGlobal(QPointF(position)),
        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

inline void move(QWidget &widget, const QPoint &position, Qt::MouseButtons buttons)
{
    QMouseEvent event(QEvent::MouseMove, QPointF(position), widget.mapToGlobal(QPointF(position)),
        Qt::NoButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

// The widget's own painting on a white background.
inline QImage render(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// A point inside the cell in visible row row and column col, dx/dy from its frame's corner.
inline QPoint inCell(int row, int col, int dx = 20, int dy = 20)
{
    return QPoint(46 * col + dx, 46 * row + dy);
}

} // namespace PaletteTestUtil
