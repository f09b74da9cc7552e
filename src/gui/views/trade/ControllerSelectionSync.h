#pragma once

#ifndef Q_MOC_RUN
#include "core/controllers/ArrayController.h"
#endif

#include <QObject>
#include <functional>

class QAbstractItemView;

namespace brivel::gui {

// Keeps a table's selected rows and its list controller's selection the same, both ways: a click
// selects in the controller (which the dependent lists follow), and the controller's own changes
// (a new record selected, a list sorted anew) show in the table.
class ControllerSelectionSync : public QObject, private controllers::ArrayControllerListener {
    Q_OBJECT
public:
    // The view's model must already be set over controller. onChange runs after every change of
    // the controller's selection.
    ControllerSelectionSync(QAbstractItemView& view, controllers::ArrayController& controller,
                            std::function<void()> onChange = {});
    ~ControllerSelectionSync() override;

private:
    void selectionChanged() override;
    void reset() override;
    void rowsInserted() override;
    void rowsRemoved() override;
    void fromView();
    void toView();

    QAbstractItemView& m_view;
    controllers::ArrayController& m_controller;
    std::function<void()> m_onChange;
    bool m_updating = false;
};

} // namespace brivel::gui
