// frmJointLoad: forces at joints along the global axes; a joint may carry several rows.
#pragma once

#include "editors/editor_window.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace varlen::gui {

class JointLoadWindow final : public EditorWindow {
    Q_OBJECT
public:
    JointLoadWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent = nullptr);
    // The list "1" .. the number of joints; called whenever the window is shown from the menu.
    void FillList();

protected:
    void showEvent(QShowEvent* event) override; // brings itself up to date as it is shown
    std::vector<std::string> ReadFields() const override;
    void LoadFields(const std::vector<std::string>& cells) override;
    void ResetFields(bool afterAdd) override;
    QWidget* FirstField() const override;
    std::vector<NumberBox> NumberBoxes() const override;

private:
    void ShowJointText(); // the chosen joint's description beside the list
    void FillCases();     // the load cases' names, the one shown kept

    QComboBox* m_case;
    QComboBox* m_joint;
    QLabel* m_jointText;
    QLineEdit* m_fx;
    QLineEdit* m_fy;
    QLineEdit* m_description;
};

} // namespace varlen::gui
