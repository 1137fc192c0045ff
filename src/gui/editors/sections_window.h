// frmCrossSectionalProperties: cross-sections by area, filled by hand, by the section calculator or
// from the hollow-section catalogue.
#pragma once

#include "editors/editor_window.h"

class QComboBox;
class QLineEdit;
class QRadioButton;
class QStackedWidget;

namespace varlen::gui {

class SectionsWindow final : public EditorWindow {
    Q_OBJECT
public:
    SectionsWindow(DocumentObject& document, UserDialogs& dialogs, QWidget* parent = nullptr);

    // Shows the next section picture in the direction of `step` (wrapping round the five).
    void ChangePicture(int step);
    [[nodiscard]] int Picture() const;
    // Asks the visible shape's dimensions and fills the area and description boxes.
    void Evaluate();

protected:
    std::vector<std::string> ReadFields() const override;
    void LoadFields(const std::vector<std::string>& cells) override;
    void ResetFields(bool afterAdd) override;
    QWidget* FirstField() const override;
    std::vector<NumberBox> NumberBoxes() const override;

private:
    void Pick(const QString& row);
    void ShowFirstCatalogueRow();

    QLineEdit* m_number;
    QLineEdit* m_area;
    QLineEdit* m_description;
    QStackedWidget* m_pictures;
    QRadioButton* m_shs;
    QRadioButton* m_rhs;
    QComboBox* m_shsList;
    QComboBox* m_rhsList;
};

} // namespace varlen::gui
