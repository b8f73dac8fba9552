// Mouse input for a test: a Qt mouse event sent straight to a widget, as the window system
// would deliver it.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace ms::test {

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
                      Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace ms::test
