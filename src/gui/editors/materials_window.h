// frmMaterialProperties: materials by their Young's modulus in kN/mm².
#pragma once

#include "editors/editor_window.h"

class QLineEdit;

namespace varlen::gui {

class MaterialsWindow final : public EditorWindow {
    Q_OBJECT
public:
    MaterialsWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent = nullptr);

protected:
    std::vector<std::string> ReadFields() const override;
    void LoadFields(const std::vector<std::string>& cells) override;
    void ResetFields(bool afterAdd) override;
    QWidget* FirstField() const override;
    std::vector<NumberBox> NumberBoxes() const override;

private:
    QLineEdit* m_number;
    QLineEdit* m_modulus;
    QLineEdit* m_description;
};

} // namespace varlen::gui
