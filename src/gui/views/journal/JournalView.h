#pragma once

#ifndef Q_MOC_RUN
#include "core/controllers/LogArrayController.h"
#include "core/controllers/NoteArrayController.h"
#include "core/controllers/PriceBarrierArrayController.h"
#include "gui/document/AccountEnvironment.h"
#endif
#include "gui/ArrayControllerModel.h"
#include "gui/document/AccountView.h"

#include <memory>

class QAction;
class QLabel;
class QTableView;

namespace brivel::gui {

class NoteDetailPanel;
class NotesTableView;
class PriceBarrierTableView;
namespace journal {
class JournalTableView;
}

// The journal: the days on the left; on the right the notes of the selected day and its index
// levels, with the NASDAQ and DOW levels in one line above the levels table. A note always
// belongs to a day, so without a selected day no note can be added.
class JournalView : public AccountView {
    Q_OBJECT
public:
    explicit JournalView(AccountEnvironment& env, QWidget* parent = nullptr);
    ~JournalView() override;

    // Ends the edit in progress in the tables and the note detail panel.
    bool commitEditing() override;

    // Adds a note to the selected day as an undo step of its own and starts typing its ticker.
    void createNote();
    // Opens the note detail panel at the mouse (global coordinates) for the selected note;
    // nothing without a selected day and note.
    void doubleClickNote(const QPoint& mouse);
    void closeNoteDetail();

    void addLog();
    void removeLogs(); // asks first
    void removeNotes();
    void addPriceBarrier();
    void removePriceBarriers();

    controllers::LogArrayController& logAC() { return *m_logAC; }
    controllers::NoteArrayController& notesAC() { return *m_notesAC; }
    controllers::PriceBarrierArrayController& priceBarrierAC() { return *m_priceBarrierAC; }
    QTableView* logTV() const;
    NotesTableView* noteTV() const { return m_noteTV; }
    PriceBarrierTableView* priceBarrierTV() const { return m_priceBarrierTV; }
    NoteDetailPanel* noteDetailPanel() const { return m_noteDetailPanel; }
    // The NASDAQ and DOW levels of the selected day as the line above the levels table shows
    // them (plain text).
    QString indexLevelsText() const;

private:
    void buildModels();
    // The tables, their delegates and labels; then their arrangement.
    void buildTables();
    void buildLayout();
    void buildActions();
    void updateIndexLevels();
    void updateCommands();
    void noteSelectionChanged();

    AccountEnvironment& m_env;
    std::unique_ptr<controllers::LogArrayController> m_logAC;
    std::unique_ptr<controllers::NoteArrayController> m_notesAC;
    std::unique_ptr<controllers::PriceBarrierArrayController> m_priceBarrierAC;
    // The two index lines read their own controllers, so that filtering them to one index
    // leaves the levels table and its selection alone.
    std::unique_ptr<controllers::PriceBarrierArrayController> m_nasdaqAC;
    std::unique_ptr<controllers::PriceBarrierArrayController> m_dowAC;
    std::unique_ptr<ArrayControllerModel> m_logModel;
    std::unique_ptr<ArrayControllerModel> m_noteModel;
    std::unique_ptr<ArrayControllerModel> m_priceBarrierModel;

    journal::JournalTableView* m_logTV = nullptr;
    NotesTableView* m_noteTV = nullptr;
    PriceBarrierTableView* m_priceBarrierTV = nullptr;
    NoteDetailPanel* m_noteDetailPanel = nullptr;
    QLabel* m_indexLevels = nullptr;
    QLabel* m_emptyHint = nullptr;
    QAction* m_addLogAction = nullptr;
    QAction* m_removeLogAction = nullptr;
    QAction* m_createNoteAction = nullptr;
    QAction* m_removeNoteAction = nullptr;
    QAction* m_noteDetailAction = nullptr;
    QAction* m_addBarrierAction = nullptr;
    QAction* m_removeBarrierAction = nullptr;
    bool m_updatingLevels = false;
};

} // namespace brivel::gui
