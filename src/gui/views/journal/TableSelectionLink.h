#pragma once

#ifndef Q_MOC_RUN
#include "core/controllers/ArrayController.h"
#endif

#include <QObject>

class QTableView;

namespace brivel::gui::journal {

// Keeps a table's selected rows and its list controller's selection the same, both ways. Made
// after the table has its model, so that after a reset of the rows the controller's selection
// is shown again.
class TableSelectionLink : public QObject, private controllers::ArrayControllerListener {
    Q_OBJECT
public:
    TableSelectionLink(QTableView& table, controllers::ArrayController& controller);
    ~TableSelectionLink() override;

private:
    void selectionChanged() override { showControllerSelection(); }
    void reset() override { showControllerSelection(); }
    void rowsInserted() override { showControllerSelection(); }
    void rowsRemoved() override { showControllerSelection(); }
    void showControllerSelection();
    void takeTableSelection();

    QTableView& m_table;
    controllers::ArrayController& m_controller;
    bool m_updating = false;
};

} // namespace brivel::gui::journal
