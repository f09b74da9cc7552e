#pragma once

// moc does not read C++20 library headers.
#ifndef Q_MOC_RUN
#include "core/controllers/ArrayController.h"
#endif

#include <QObject>

namespace brivel::gui::journal {

// Turns everything a list controller announces into Qt signals, for widgets that show something
// derived from its list or selection (a label, the enabled state of a command).
class ControllerWatcher : public QObject, private controllers::ArrayControllerListener {
    Q_OBJECT
public:
    ControllerWatcher(controllers::ArrayController& controller, QObject* parent = nullptr)
        : QObject(parent), m_controller(controller) {
        m_controller.addListener(this);
    }
    ~ControllerWatcher() override { m_controller.removeListener(this); }

signals:
    // The list or a value in it changed.
    void contentChanged();
    void selectedChanged();

private:
    void rowsInserted() override { emit contentChanged(); }
    void rowsRemoved() override { emit contentChanged(); }
    void reset() override { emit contentChanged(); }
    void rowsChanged(std::size_t, std::size_t) override { emit contentChanged(); }
    void selectionChanged() override { emit selectedChanged(); }

    controllers::ArrayController& m_controller;
};

} // namespace brivel::gui::journal
