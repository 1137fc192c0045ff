// The anatomy every table editor shares: a column of entry fields, the add and remove buttons, the
// table grid and Done. The rules (modes, append, insert, edit, remove) are the core's TableEditor; this
// class binds them to the widgets and to the shared document.
#pragma once

#include <QWidget>
#include <vector>

#include "app/document_object.h"
#include "app/twips.h"
#include "app/user_dialogs.h"
#include "editing/table_editor.h"

class QGridLayout;
class QLineEdit;
class QPushButton;
class QTableView;

namespace varlen::gui {

class TableModel;

struct EditorNames {
    QString window; // frmJoints
    QString grid;   // GridJoints
    QString add;    // cmdAddJoint
    QString remove; // cmdRemoveJoint
};

class EditorWindow : public QWidget {
    Q_OBJECT
public:
    EditorWindow(DocumentObject& document, UserDialogs& dialogs, editing::TableKind kind,
                 const EditorNames& names, QWidget* parent = nullptr);

    [[nodiscard]] editing::TableEditor& Editor() { return m_editor; }
    [[nodiscard]] QTableView* Grid() const { return m_grid; }

public slots:
    void AddClicked();
    void RemoveClicked();
    void DoneClicked();

protected:
    // The fields in the table's column order from its first data column, as typed.
    [[nodiscard]] virtual std::vector<std::string> ReadFields() const = 0;
    // A row's cells into the fields (a grid click in new-row mode).
    virtual void LoadFields(const std::vector<std::string>& cells) = 0;
    // The defaults after an add (afterAdd), on leaving edit mode and when the tables are replaced.
    virtual void ResetFields(bool afterAdd) = 0;
    [[nodiscard]] virtual QWidget* FirstField() const = 0;
    // After a row was written: a window may have a word to say about it.
    virtual void Added(int /*row*/) {}
    // The number boxes with the names the user knows them by, checked before anything is stored.
    struct NumberBox {
        QString name; // "X Co-ordinate"
        QLineEdit* box;
    };
    [[nodiscard]] virtual std::vector<NumberBox> NumberBoxes() const { return {}; }

    // Subclasses put their fields here, then call Finish().
    [[nodiscard]] QGridLayout* Fields() const { return m_fields; }
    void Finish(QLineEdit* nextNumberBox, const std::vector<int>& columnWidths);
    [[nodiscard]] DocumentObject& Doc() { return m_document; }
    [[nodiscard]] UserDialogs& Dialogs() { return m_dialogs; }
    void ShowState(); // caption, next number, remove button, current row
    // The loads editor's grid and fields on another load case's joint loads (1 when it is not there).
    void ShowLoadCase(int loadCase);

private:
    // False, after telling the user which box and what it holds, when a number box holds anything but
    // one complete number: "20.0.59" would otherwise be stored as 20 without a word.
    bool NumbersAreWhole();
    void GridClicked(int modelRow);
    void CurrentRowChanged(int modelRow);
    void TablesReplaced(bool opened);
    void SelectCurrentRow();

    DocumentObject& m_document;
    UserDialogs& m_dialogs;
    editing::TableKind m_kind;
    editing::TableEditor m_editor; // this window's row, mode and next number
    QGridLayout* m_fields = nullptr;
    QTableView* m_grid = nullptr;
    TableModel* m_model = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_done = nullptr;
    QLineEdit* m_nextNumber = nullptr;
    bool m_selecting = false;
    bool m_ownEdit = false;      // this window is applying an edit of its own
    bool m_tableChanged = false; // the edit being announced touched this window's table   // a selection the
                                 // program makes is not the user moving to a row
};

} // namespace varlen::gui
