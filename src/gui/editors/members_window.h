// frmMembers: bars between two joints, each with a material and a cross-section chosen from lists of
// the numbers that exist.
#pragma once

#include "editors/editor_window.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace varlen::gui {

class MembersWindow final : public EditorWindow {
    Q_OBJECT
public:
    MembersWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent = nullptr);
    // The lists "1" .. the number of joints, materials and cross-sections; called whenever the window
    // is shown from the menu. The focus ends in the start-joint list.
    void FillLists();

protected:
    void showEvent(QShowEvent* event) override; // brings itself up to date as it is shown
    std::vector<std::string> ReadFields() const override;
    void LoadFields(const std::vector<std::string>& cells) override;
    void ResetFields(bool afterAdd) override;
    // A member joining the same two joints as another is allowed (a doubled bar), but said.
    void Added(int row) override;
    QWidget* FirstField() const override;

private:
    void ShowDescription(QComboBox* list, QLabel* label, const project::Table& table, int column);

    QLineEdit* m_number;
    QComboBox* m_jointI;
    QComboBox* m_jointJ;
    QComboBox* m_material;
    QComboBox* m_section;
    QLabel* m_jointIText;
    QLabel* m_jointJText;
    QLabel* m_materialText;
    QLabel* m_sectionText;
    QLineEdit* m_description;
};

} // namespace varlen::gui
